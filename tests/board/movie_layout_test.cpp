// A motion JPEG movie keeps one chroma layout from its first frame to its
// last: encoded frames take the layout of the frames copied from the clips,
// and when the clips differ the copies give way to encoded frames.

#include <set>
#include <sstream>

#include "makemovie_fixture.h"
#include "outside_tools.h"
#include "platform/media/avi_index.h"
#include "platform/media/avi_writer.h"
#include "platform/media/jpeg_chroma_layout.h"
#include "render/picture/dib_picture.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {
namespace {

class MovieLayoutTest : public MakeMovieTest {
protected:
  // A motion JPEG clip of the movie's size and rate in the given layout.
  std::string JpegClip(const std::string& name, int layout) {
    const std::string path = (temp.path() / "media" / name).string();
    AviVideoFormat format;
    format.width = 64;
    format.height = 48;
    format.compressor = MakeFourCC("MJPG");
    format.chromaLayout = layout;
    AviWriter writer;
    EXPECT_TRUE(writer.Open(path, format, std::nullopt)) << writer.ErrorText();
    for (int k = 0; k < 25; ++k) EXPECT_TRUE(writer.WriteFrame(DibPicture::Black24(64, 48).handle()));
    EXPECT_TRUE(writer.Finish()) << writer.ErrorText();
    return path;
  }

  // The layouts of every picture of a movie, by its own samples.
  std::vector<int> SampleLayouts(const std::string& path) {
    std::vector<int> layouts;
    AviFileIndex index;
    if (!index.Open(path)) return layouts;
    const int stream = index.FindStream(kStreamTypeVideo);
    std::vector<std::uint8_t> sample;
    for (std::int64_t n = 0; stream >= 0 && n < index.SampleCount(stream); ++n) {
      if (index.ReadSample(stream, n, &sample) && !sample.empty()) layouts.push_back(JpegChromaLayout(sample));
    }
    return layouts;
  }

  std::set<std::string> ProbedFormats(const std::string& path) {
    std::set<std::string> formats;
    const auto output = RunCommand("ffprobe -v error -select_streams v -show_entries frame=pix_fmt -of csv=p=0 '" +
                                   path + "' 2>/dev/null");
    std::istringstream lines(output.value_or(""));
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty()) formats.insert(line);
    }
    return formats;
  }
};

TEST_F(MovieLayoutTest, EncodedFramesTakeTheLayoutOfTheCopiedOnes) {
  struct Case {
    std::vector<int> copied;  // the layouts of the copyable clips, in turn
    int movie;                // the one layout of the movie
    const char* probed;
  };
  for (const Case& c : {Case{{kChromaLayout420}, kChromaLayout420, "yuvj420p"},
                        Case{{kChromaLayout444, kChromaLayout444}, kChromaLayout444, "yuvj444p"},
                        Case{{kChromaLayout420, kChromaLayout444}, kChromaLayout422, "yuvj422p"}}) {
    SCOPED_TRACE(c.probed);
    UseSmallMovieSettings();
    SetFamily(2);
    doc.rate = 2500;
    doc.head = MakeDefaultTimeline(2500, 2000);
    doc.duration = 2000;
    std::int32_t in = 0;
    for (std::size_t i = 0; i < c.copied.size(); ++i, in += 500) {
      ASSERT_NE(AddClip(JpegClip("copied" + std::to_string(i) + std::to_string(c.copied[i]) + ".avi", c.copied[i]), 1,
                        in, in + 500),
                nullptr);
    }
    // An uncompressed clip, whose frames are encoded.
    ASSERT_NE(AddClip(WriteClip("plain.avi", 64, 48, 50, 200, 40, 40, "DIB ", false), 1, in, 2000), nullptr);
    SplitSegmentsAtClips(doc.Head());
    doc.movieRange = {0, 2000};
    const std::string out = Out(std::string(c.probed) + ".avi");
    dialogs.path = out;
    ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);

    const std::vector<int> layouts = SampleLayouts(out);
    ASSERT_EQ(layouts.size(), 50u);
    for (std::size_t k = 0; k < layouts.size(); ++k) EXPECT_EQ(layouts[k], c.movie) << "frame " << k;
    if (ToolAvailable("ffprobe")) EXPECT_EQ(ProbedFormats(out), std::set<std::string>{c.probed});
  }
}

}  // namespace
}  // namespace sprocket::testing
