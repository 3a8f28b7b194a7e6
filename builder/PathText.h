#pragma once
#include <string>

// Path texts as the builder handles them: single-byte ANSI. Windows takes "/" as
// readily as "\" between the parts, and "C:name" names a file in the current folder
// of drive C, so every rule here does too.

// The path up to and including its last "\" or "/", or its drive ("C:") when it has
// no separator; empty when it has neither.
std::string FolderOf(const std::string &path);
// The path after its folder (all of it when it has none).
std::string NameOf(const std::string &path);
// From the last "." to the end, the "." included; empty when there is no ".".
std::string ExtensionOf(const std::string &path);
// "A" to "Z" become "a" to "z"; every other byte stays.
std::string LowerAscii(std::string text);
