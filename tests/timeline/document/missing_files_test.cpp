#include <gtest/gtest.h>

#include <map>

#include "clip_media_files.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/missing_files.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::ScriptedPrompts;
using testing::TempDir;

// Answers replacement questions from a table by missing path, and records
// every question.
class ScriptedResolver : public MissingFileResolver {
public:
  std::map<std::string, std::string> answers;
  std::vector<std::string> asked;

  std::optional<std::string> AskReplacement(const std::string& missingPath, const TLEvent&) override {
    asked.push_back(missingPath);
    auto found = answers.find(missingPath);
    if (found == answers.end()) return std::nullopt;
    return found->second;
  }
};

class StubBitmap : public ClipBitmap {
public:
  std::unique_ptr<ClipBitmap> Clone() const override { return std::make_unique<StubBitmap>(); }
};

class MissingFilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    doc_.ReplaceTimeline(MakeDefaultTimeline(2500, 600000));
    dir_.Write("here.bmp", "BM");
    dir_.Write("new.bmp", "BM");
    dir_.Write("new.wav", testing::SilentWave(1, 8000, 8, 800));
    dir_.Write("broken.wav", "RIFF....WAVE");
    picA_ = AddClip(1, 0, "gone/pic", ".bmp", kMediaBmp);
    picB_ = AddClip(3, 5000, "gone/pic", ".bmp", kMediaBmp);
    here_ = AddClip(1, 9000, "here", ".bmp", kMediaBmp);
    voice_ = AddClip(6, 0, "gone/voice", ".wav", kMediaWav);
    picA_->thumbnail = ClonePtr<ClipBitmap>(std::make_unique<StubBitmap>());
    picA_->derivedFiles.waveName = "zkb0001";
    doc_.clipMarkSets.push_back(ClipMarkSet{Path("gone/pic.bmp"), 0, 1, {ClipIndexMark{"m", "note", 40}}});
    doc_.SetModifiedFlag(false);
  }

  std::string Path(const std::string& relative) const { return dir_.path().string() + "/" + relative; }

  TLEvent* AddClip(int track, std::int32_t in, const std::string& name, const std::string& ext, std::int32_t type) {
    TLEventFields fields;
    std::string path = Path(name);
    fields.directory = path.substr(0, path.rfind('/') + 1);
    fields.name = path.substr(path.rfind('/') + 1);
    fields.extension = ext;
    fields.mediaType = type;
    return InsertClip(doc_.Head(), track, in, in + 2000, fields);
  }

  TempDir dir_;
  CTestDoc doc_;
  TLEvent* picA_ = nullptr;
  TLEvent* picB_ = nullptr;
  TLEvent* here_ = nullptr;
  TLEvent* voice_ = nullptr;
};

TEST_F(MissingFilesTest, AsksOncePerMissingPathAndReplacesEveryClipOfIt) {
  ScriptedResolver resolver;
  resolver.answers[Path("gone/pic.bmp")] = Path("new.bmp");
  std::set<std::string> declined;
  EXPECT_EQ(CheckMissingClipFiles(doc_, resolver, &declined), 2);
  EXPECT_EQ(resolver.asked, (std::vector<std::string>{Path("gone/pic.bmp"), Path("gone/voice.wav")}));
  for (TLEvent* clip : {picA_, picB_}) {
    EXPECT_EQ(clip->MediaPath(), Path("new.bmp"));
    EXPECT_EQ(clip->mediaType, kMediaBmp);
  }
  EXPECT_EQ(picA_->thumbnail.get(), nullptr);
  EXPECT_EQ(picA_->derivedFiles, DerivedFileNames{});
  EXPECT_EQ(here_->MediaPath(), Path("here.bmp"));
  EXPECT_EQ(voice_->MediaPath(), Path("gone/voice.wav"));
  EXPECT_EQ(doc_.clipMarkSets[0].path, Path("new.bmp"));
  EXPECT_TRUE(doc_.IsModified());
  EXPECT_EQ(declined, (std::set<std::string>{Path("gone/voice.wav")}));

  // A declined path is not asked about again.
  resolver.asked.clear();
  EXPECT_EQ(CheckMissingClipFiles(doc_, resolver, &declined), 0);
  EXPECT_TRUE(resolver.asked.empty());
  // Without the memory it is.
  EXPECT_EQ(CheckMissingClipFiles(doc_, resolver), 0);
  EXPECT_EQ(resolver.asked, (std::vector<std::string>{Path("gone/voice.wav")}));
}

TEST_F(MissingFilesTest, ASoundReplacementGetsItsHeader) {
  ScriptedResolver resolver;
  resolver.answers[Path("gone/voice.wav")] = Path("new.wav");
  EXPECT_EQ(CheckMissingClipFiles(doc_, resolver), 1);
  EXPECT_EQ(voice_->MediaPath(), Path("new.wav"));
  ASSERT_TRUE(voice_->header && voice_->header->Wav() != nullptr);
  EXPECT_DOUBLE_EQ(voice_->header->MediaLengthMs(), 100.0);
}

TEST_F(MissingFilesTest, UnusableReplacementsAreExplainedAndChangeNothing) {
  ScriptedPrompts prompts;
  ScriptedResolver resolver;
  resolver.answers[Path("gone/pic.bmp")] = Path("nowhere.bmp");
  resolver.answers[Path("gone/voice.wav")] = Path("new.bmp");
  prompts.Expect("The file \"" + Path("nowhere.bmp") + "\" does not exist.\n\"" + Path("gone/pic.bmp") +
                 "\" was not replaced.");
  prompts.Expect("The file \"" + Path("new.bmp") + "\" is not the kind of media its track holds.\n\"" +
                 Path("gone/voice.wav") + "\" was not replaced.");
  std::set<std::string> declined;
  EXPECT_EQ(CheckMissingClipFiles(doc_, resolver, &declined), 0);
  EXPECT_EQ(picA_->MediaPath(), Path("gone/pic.bmp"));
  EXPECT_EQ(voice_->MediaPath(), Path("gone/voice.wav"));
  EXPECT_FALSE(doc_.IsModified());
  EXPECT_TRUE(declined.empty());  // asked again next time

  resolver.answers[Path("gone/voice.wav")] = Path("broken.wav");
  resolver.answers.erase(Path("gone/pic.bmp"));
  prompts.Expect("The sound \"" + Path("broken.wav") +
                 "\" cannot be read: \"broken.wav\" is truncated or damaged.\n\"" + Path("gone/voice.wav") +
                 "\" was not replaced.");
  EXPECT_EQ(CheckMissingClipFiles(doc_, resolver, &declined), 0);
  EXPECT_EQ(voice_->MediaPath(), Path("gone/voice.wav"));
  EXPECT_FALSE(voice_->header.has_value());
}

TEST_F(MissingFilesTest, NothingIsAskedWhenEveryFileIsThere) {
  DeleteClip(picA_);
  DeleteClip(picB_);
  DeleteClip(voice_);
  ScriptedResolver resolver;
  EXPECT_EQ(CheckMissingClipFiles(doc_, resolver), 0);
  EXPECT_TRUE(resolver.asked.empty());
}

}  // namespace
}  // namespace sprocket
