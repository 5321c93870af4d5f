#pragma once
// The vector instructions the processor offers the hot loops (rescaling,
// colour conversion), found once per process. With SPROCKET_PLAIN_CODE=1 in
// the environment every such loop takes its plain road, as on a processor
// without them: the tests run that way too, so both roads are checked on
// any machine.

namespace sprocket {

struct ProcessorFeatures {
  bool sse41 = false;
  bool avx2 = false;
};

const ProcessorFeatures& Processor();

}  // namespace sprocket
