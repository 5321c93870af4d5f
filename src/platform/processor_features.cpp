#include "platform/processor_features.h"

#include <cstdlib>
#include <cstring>

namespace sprocket {

namespace {

ProcessorFeatures Detect() {
  ProcessorFeatures features;
  const char* plain = std::getenv("SPROCKET_PLAIN_CODE");
  if (plain != nullptr && std::strcmp(plain, "1") == 0) return features;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  features.sse41 = __builtin_cpu_supports("sse4.1") != 0;
  features.avx2 = __builtin_cpu_supports("avx2") != 0;
#endif
  return features;
}

}  // namespace

const ProcessorFeatures& Processor() {
  static const ProcessorFeatures features = Detect();
  return features;
}

}  // namespace sprocket
