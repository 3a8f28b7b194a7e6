#include "IconFile.h"

namespace {
constexpr size_t HeaderBytes = 6;
constexpr size_t FileEntryBytes = 16;

uint16_t Word(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Dword(const uint8_t *p) { return uint32_t(Word(p)) | uint32_t(Word(p + 2)) << 16; }

void PutWord(std::vector<uint8_t> &out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void PutDword(std::vector<uint8_t> &out, uint32_t v) {
  PutWord(out, uint16_t(v));
  PutWord(out, uint16_t(v >> 16));
}

IcoEntry ReadEntry(const uint8_t *p) {
  return IcoEntry{p[0], p[1], p[2], p[3], Word(p + 4), Word(p + 6), Dword(p + 8), Dword(p + 12)};
}

// Compared in 64 bits, so offset + size cannot wrap round to a place inside the file.
bool InsideFile(const IcoEntry &entry, size_t size) {
  return uint64_t(entry.ImageOffset) + entry.ImageSize <= size;
}
} // namespace

IcoProblem ParseIconFile(const uint8_t *bytes, size_t size, Ico &icon) {
  icon = Ico();
  if (size > MaxIconFileBytes)
    return IcoProblem::LargerThanAnyIcon;
  if (size < HeaderBytes)
    return IcoProblem::ShorterThanHeader;
  const uint16_t count = Word(bytes + 4);
  if (HeaderBytes + FileEntryBytes * count > size)
    return IcoProblem::DirectoryPastEnd;
  Ico read;
  read.Reserved = Word(bytes);
  read.Type = Word(bytes + 2);
  read.Count = count;
  uint64_t imageBytes = 0;
  for (size_t i = 0; i < count; ++i) {
    const IcoEntry entry = ReadEntry(bytes + HeaderBytes + FileEntryBytes * i);
    if (!InsideFile(entry, size))
      return IcoProblem::ImagePastEnd;
    imageBytes += entry.ImageSize;
    read.Entries.push_back(entry);
  }
  // Every entry of a 1 MiB file may name the whole file: copied, that is 64 GiB.
  if (imageBytes > MaxIconFileBytes)
    return IcoProblem::ImagesLargerThanAnyIcon;
  for (const IcoEntry &entry : read.Entries)
    read.Images.emplace_back(bytes + entry.ImageOffset, bytes + entry.ImageOffset + entry.ImageSize);
  icon = std::move(read);
  return IcoProblem::None;
}

const char *DescribeIcoProblem(IcoProblem problem) {
  switch (problem) {
  case IcoProblem::None: return "a usable icon";
  case IcoProblem::ShorterThanHeader: return "the file is shorter than an icon header (6 bytes)";
  case IcoProblem::DirectoryPastEnd:
    return "its image count promises more directory entries than the file holds";
  case IcoProblem::ImagePastEnd: return "an image's size or offset reaches past the end of the file";
  case IcoProblem::LargerThanAnyIcon: return "the file is larger than any icon (64 MiB)";
  case IcoProblem::ImagesLargerThanAnyIcon: return "its images add up to more than any icon holds (64 MiB)";
  }
  return "";
}

IcoExe BuildGroupDirectory(const Ico &icon, uint16_t firstId) {
  IcoExe group;
  group.Count = icon.Count;
  for (size_t i = 0; i < icon.Entries.size(); ++i)
    group.Entries.push_back(IcoExeEntry{icon.Entries[i], uint16_t(firstId + i)});
  return group;
}

std::vector<uint8_t> GroupResourceData(const IcoExe &group) {
  std::vector<uint8_t> out;
  PutWord(out, 0);
  PutWord(out, 1);
  PutWord(out, group.Count);
  for (const IcoExeEntry &e : group.Entries) {
    const IcoEntry &f = e.FromFile;
    out.insert(out.end(), {f.Width, f.Height, f.ColourCount, f.Reserved});
    PutWord(out, f.Planes);
    PutWord(out, f.BitsPerPixel);
    PutDword(out, f.ImageSize);
    PutWord(out, e.Id);
  }
  return out;
}
