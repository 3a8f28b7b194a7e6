#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A Windows icon file (.ico) in memory, and the group directory that lists its
// images as resources of a program. Numbers are little-endian in both.

struct IcoEntry {
  uint8_t Width; // 0 stands for 256
  uint8_t Height;
  uint8_t ColourCount;
  uint8_t Reserved;
  uint16_t Planes;
  uint16_t BitsPerPixel;
  uint32_t ImageSize;
  uint32_t ImageOffset;
};

struct Ico {
  uint16_t Reserved = 0;
  uint16_t Type = 0;
  uint16_t Count = 0;
  std::vector<IcoEntry> Entries;
  std::vector<std::vector<uint8_t>> Images; // image i: the bytes entry i points at
};

struct IcoExeEntry {
  IcoEntry FromFile; // every field but the offset goes into the group
  uint16_t Id;       // the image's resource id
};

struct IcoExe {
  uint16_t Count = 0;
  std::vector<IcoExeEntry> Entries;
};

// Why an icon file cannot be used. An icon whose directory promises more than the
// file holds is refused whole: the intro never gets bytes from outside the file.
enum class IcoProblem {
  None,
  ShorterThanHeader,
  DirectoryPastEnd,
  ImagePastEnd,
  LargerThanAnyIcon,
  ImagesLargerThanAnyIcon,
};

// Far beyond any real icon (65,535 images of 256 x 256 pixels in 32 bits would be
// 16 GiB): a bigger file is refused before it is read, and so are images that add up
// to more (entries may share bytes, which are copied apart), not allowed to exhaust
// the builder's memory.
constexpr size_t MaxIconFileBytes = size_t(64) << 20;

// Reads the header, the entries and their images. The reserved and type words are
// taken as they are.
IcoProblem ParseIconFile(const uint8_t *bytes, size_t size, Ico &icon);
const char *DescribeIcoProblem(IcoProblem problem);

IcoExe BuildGroupDirectory(const Ico &icon, uint16_t firstId);
// The RT_GROUP_ICON data: reserved 0, type 1, the count, then 14 bytes an entry.
std::vector<uint8_t> GroupResourceData(const IcoExe &group);
