#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "LoadedSong.h"
#include "XmRejectionText.h"
#include "XmRender.h"

// Every module of the corpus, real or deliberately broken, gives what CORPUS_DIGESTS_PATH
// records for it: the loader's reason to reject it, or a digest of its first minute.
// So any change in how a module sounds shows here; the sanitizer build plays the same
// hostile modules, and the scalar build must match the vector kernel's digests.
// Only scripts/regenerate_corpus_digests.sh rewrites the file.

namespace {

namespace fs = std::filesystem;

constexpr uint32_t RenderedBlocks = 60 * OutputRate / BlockFrames;
// Set only by the regeneration script: the file the results are appended to, unchecked.
const char *const RewritePath = std::getenv("XM_CORPUS_DIGESTS_REWRITE");

// Paths relative to the corpus, sorted.
std::vector<std::string> corpusModules() {
  std::vector<std::string> modules;
  std::error_code error;
  for (const auto &entry : fs::recursive_directory_iterator(XM_CORPUS_DIR, error))
    if (entry.path().extension() == ".xm")
      modules.push_back(fs::relative(entry.path(), XM_CORPUS_DIR).generic_string());
  std::sort(modules.begin(), modules.end());
  return modules;
}

std::string fileBytes(const std::string &module) {
  std::ifstream in(fs::path(XM_CORPUS_DIR) / module, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// 64-bit FNV-1a over the samples' bytes in file order (little-endian), so a raw
// 16-bit dump of the same minute hashes the same.
uint64_t addToDigest(uint64_t digest, int16_t sample) {
  for (const uint8_t byte : {uint8_t(sample), uint8_t(uint16_t(sample) >> 8)})
    digest = (digest ^ byte) * 0x100000001b3ull;
  return digest;
}

std::string firstMinuteDigest() {
  playOnce = false;
  paused = false;
  std::vector<int16_t> block(2 * BlockFrames);
  uint64_t digest = 0xcbf29ce484222325ull;
  for (uint32_t i = 0; i < RenderedBlocks; ++i) {
    renderBlock(block.data());
    for (const int16_t sample : block)
      digest = addToDigest(digest, sample);
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(digest));
  return hex;
}

std::string playResult(const std::string &module) {
  const LoadedSong loaded(fileBytes(module));
  if (loaded.loaded)
    return firstMinuteDigest();
  const auto *bytes = reinterpret_cast<const uint8_t *>(loaded.bytes.data());
  return "rejected " + explainRejection(loaded.rejection, bytes, uint32_t(loaded.bytes.size()));
}

// Module to result, from lines "module<tab>result"; "#" starts a comment.
std::map<std::string, std::string> recordedResults() {
  std::map<std::string, std::string> results;
  std::ifstream in(CORPUS_DIGESTS_PATH);
  for (std::string line; std::getline(in, line);)
    if (const size_t tab = line.find('\t'); tab != std::string::npos && line[0] != '#')
      results[line.substr(0, tab)] = line.substr(tab + 1);
  return results;
}

class CorpusModule : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusModule, PlaysAsRecorded) {
  const std::string result = playResult(GetParam());
  if (RewritePath) {
    std::ofstream(RewritePath, std::ios::app) << GetParam() << '\t' << result << '\n';
    return;
  }
  const std::map<std::string, std::string> recorded = recordedResults();
  const auto line = recorded.find(GetParam());
  ASSERT_NE(line, recorded.end()) << GetParam() << " has no line in " CORPUS_DIGESTS_PATH;
  EXPECT_EQ(result, line->second) << GetParam() << " no longer plays as " CORPUS_DIGESTS_PATH " records";
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusModule, ::testing::ValuesIn(corpusModules()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                           std::string name = info.param;
                           for (char &c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           return name;
                         });

TEST(CorpusDigests, NameOnlyModulesOfTheCorpus) {
  const std::vector<std::string> modules = corpusModules();
  EXPECT_FALSE(modules.empty()) << "no modules in " XM_CORPUS_DIR;
  for (const auto &[module, result] : recordedResults())
    EXPECT_TRUE(std::binary_search(modules.begin(), modules.end(), module))
        << CORPUS_DIGESTS_PATH " has a line for " << module << ", which the corpus lacks";
}

} // namespace
