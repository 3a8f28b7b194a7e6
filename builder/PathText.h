#pragma once
#include <string>

// Path texts as the builder handles them: single-byte ANSI, "\" between the parts.

// The path up to and including its last "\"; empty when it has none.
std::string FolderOf(const std::string &path);
// The path after its last "\" (all of it when it has none).
std::string NameOf(const std::string &path);
// From the last "." to the end, the "." included; empty when there is no ".".
std::string ExtensionOf(const std::string &path);
// "A" to "Z" become "a" to "z"; every other byte stays.
std::string LowerAscii(std::string text);
