#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "LoadedSong.h"
#include "XmOutput.h"
#include "XmRender.h"

// Every module of the shared corpus, real or deliberately broken, either loads or is
// rejected, and a loaded one renders 30 s. The sanitizer build of this program is
// what makes "survives" mean something.

namespace {

std::vector<std::string> corpusModules() {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto &entry : std::filesystem::recursive_directory_iterator(XM_CORPUS_DIR, error))
    if (entry.path().extension() == ".xm")
      paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, LoadsOrIsRejectedAndRenders30Seconds) {
  LoadedSong loaded(readFile(GetParam()));
  if (!loaded.loaded)
    return; // rejected is a fine answer for a broken module
  ASSERT_GE(song.channelCount, 1);
  ASSERT_LE(song.channelCount, 64);
  paused = false;
  playOnce = false;
  fillIndex = 0;
  const uint32_t blocks = 30 * OutputRate / BlockFrames;
  for (uint32_t i = 0; i < blocks; ++i)
    ASSERT_EQ(fillNextBlock(), BlockFrames);
}

INSTANTIATE_TEST_SUITE_P(Modules, Corpus, ::testing::ValuesIn(corpusModules()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                           std::string name = std::filesystem::path(info.param).stem().string();
                           for (char &c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           return name + "_" + std::to_string(info.index);
                         });

TEST(CorpusPresent, HoldsModules) { EXPECT_GT(corpusModules().size(), 50u); }

} // namespace
