#include "PathText.h"

namespace {
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsWithDrive(const std::string &path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}
} // namespace

std::string FolderOf(const std::string &path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos)
    return path.substr(0, separator + 1);
  return StartsWithDrive(path) ? path.substr(0, 2) : std::string();
}

std::string NameOf(const std::string &path) { return path.substr(FolderOf(path).size()); }

std::string ExtensionOf(const std::string &path) {
  const size_t dot = path.rfind('.');
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string LowerAscii(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z')
      c = char(c - 'A' + 'a');
  return text;
}
