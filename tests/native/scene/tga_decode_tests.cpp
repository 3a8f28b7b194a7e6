#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "TgaImage.h"
#include "TgaBytes.h"

using tga::Pixel;

namespace {
// The decoder gets its bytes in a block of exactly their size, so the sanitizer this
// program is built with stops any read past the end.
struct Decoded {
  bool ok = false;
  TFontImage image;
  explicit Decoded(const std::string &file) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size() + 1]);
    memcpy(exact.get(), file.data(), file.size());
    ok = DecodeTga(exact.get(), uint32_t(file.size()), image);
  }
  ~Decoded() { FreeFontImage(image); }
  std::string Bytes() const {
    return std::string(reinterpret_cast<const char *>(image.Pixels),
                       size_t(image.Width) * image.Height * image.BytesPerPixel);
  }
};

// Red, green, blue (alpha): what the texture receives.
std::string TextureBytes(const std::vector<Pixel> &pixels, uint8_t depth) {
  std::string bytes;
  for (const Pixel &p : pixels) {
    bytes += {char(p.r), char(p.g), char(p.b)};
    if (depth == 32)
      bytes += char(p.a);
  }
  return bytes;
}

std::vector<Pixel> Picture(size_t count) {
  std::vector<Pixel> pixels;
  for (size_t i = 0; i < count; i++) {
    // Stretches of equal pixels between changing ones, so both packet kinds occur.
    size_t v = (i / 10) % 2 ? i / 10 : i;
    pixels.push_back({uint8_t(v * 37), uint8_t(v ^ 0x5A), uint8_t(v / 3), uint8_t(v % 2 ? 255 : 0)});
  }
  return pixels;
}

void ExpectNoImage(const std::string &file) {
  Decoded d(file);
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.image.Pixels, nullptr);
}
} // namespace

TEST(TgaDecode, RawPixelsArriveAsRedGreenBlueWithAlphaKept) {
  std::vector<Pixel> pixels = Picture(12);
  for (uint8_t depth : {24, 32}) {
    Decoded d(tga::Header(tga::Raw, 4, 3, depth) + tga::RawPixels(pixels, depth));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.Width, 4);
    EXPECT_EQ(d.image.Height, 3);
    EXPECT_EQ(d.image.BytesPerPixel, depth / 8);
    EXPECT_EQ(d.Bytes(), TextureBytes(pixels, depth)) << int(depth);
  }
}

TEST(TgaDecode, RunLengthDecodesToTheSameBytesAsRaw) {
  std::vector<Pixel> pixels = Picture(64 * 9);
  for (uint8_t depth : {24, 32}) {
    std::string packed = tga::EncodeRunLength(pixels, depth);
    ASSERT_LT(packed.size(), pixels.size() * depth / 8); // there are runs in it
    Decoded raw(tga::Header(tga::Raw, 64, 9, depth) + tga::RawPixels(pixels, depth));
    Decoded rle(tga::Header(tga::RunLength, 64, 9, depth) + packed);
    ASSERT_TRUE(raw.ok && rle.ok);
    EXPECT_EQ(rle.image.BytesPerPixel, depth / 8);
    EXPECT_EQ(rle.Bytes(), raw.Bytes()) << int(depth);
  }
}

TEST(TgaDecode, PacketHeadersCountOneTo128Pixels) {
  std::vector<Pixel> pixels = Picture(1 + 128 + 1 + 128);
  Pixel a{1, 2, 3, 4}, b{5, 6, 7, 8};
  std::fill(pixels.begin() + 129, pixels.begin() + 130, a);
  std::fill(pixels.begin() + 130, pixels.end(), b);
  std::string packets = char(0) + tga::PixelBytes(pixels[0], 32) + // raw, 1 pixel
                        tga::RawPacket(pixels, 1, 128, 32) +       // header 127
                        char(0x80) + tga::PixelBytes(a, 32) +      // run, 1 pixel
                        char(0xFF) + tga::PixelBytes(b, 32);       // run, 128 pixels
  Decoded d(tga::Header(tga::RunLength, 258, 1, 32) + packets);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.Bytes(), TextureBytes(pixels, 32));
}

TEST(TgaDecode, ImageIdAndColourMapAreSkippedNotTakenAsPixels) {
  std::vector<Pixel> pixels = Picture(6);
  std::string withId = tga::Header(tga::Raw, 3, 2, 32, 0, "font!") + tga::RawPixels(pixels, 32);
  Decoded d(withId);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.Bytes(), TextureBytes(pixels, 32));

  std::string withMap = tga::Header(tga::Raw, 3, 2, 32);
  withMap[1] = 1;                    // a colour map follows the ID ...
  withMap[5] = 2;                    // ... of two entries
  withMap[7] = 24;                   // of three bytes each
  withMap += std::string(6, '\x77'); // that a true-colour image does not use
  Decoded m(withMap + tga::RawPixels(pixels, 32));
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.Bytes(), TextureBytes(pixels, 32));
}

TEST(TgaDecode, TopRowFirstImagesAreTurnedBottomRowFirst) {
  std::vector<Pixel> top = Picture(3), bottom = Picture(6);
  bottom.erase(bottom.begin(), bottom.begin() + 3);
  std::vector<Pixel> stored = top;
  stored.insert(stored.end(), bottom.begin(), bottom.end());
  std::vector<Pixel> expected = bottom;
  expected.insert(expected.end(), top.begin(), top.end());
  Decoded raw(tga::Header(tga::Raw, 3, 2, 24, tga::TopRowFirst) + tga::RawPixels(stored, 24));
  Decoded rle(tga::Header(tga::RunLength, 3, 2, 24, tga::TopRowFirst) + tga::EncodeRunLength(stored, 24));
  EXPECT_EQ(raw.Bytes(), TextureBytes(expected, 24));
  EXPECT_EQ(rle.Bytes(), TextureBytes(expected, 24));
}

TEST(TgaDecode, PacketRunningPastThePictureIsCutAtItsEnd) {
  Pixel a{9, 8, 7, 6};
  Decoded run(tga::Header(tga::RunLength, 3, 1, 32) + tga::RunPacket(a, 100, 32));
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.Bytes(), TextureBytes({a, a, a}, 32));

  std::vector<Pixel> pixels = Picture(5);
  Decoded raw(tga::Header(tga::RunLength, 3, 1, 32) + tga::RawPacket(pixels, 0, 5, 32));
  ASSERT_TRUE(raw.ok);
  EXPECT_EQ(raw.Bytes(), TextureBytes({pixels[0], pixels[1], pixels[2]}, 32));
}

TEST(TgaDecode, ImagesThatCannotBeDecodedGiveNoTexture) {
  std::vector<Pixel> pixels = Picture(8);
  std::string full = tga::Header(tga::Raw, 4, 2, 32) + tga::RawPixels(pixels, 32);
  ExpectNoImage("");
  ExpectNoImage(full.substr(0, 17));
  ExpectNoImage(full.substr(0, full.size() - 1)); // raw data one byte short
  for (uint8_t depth : {8, 15, 16, 31})
    ExpectNoImage(tga::Header(tga::Raw, 4, 2, depth) + tga::RawPixels(pixels, 32));
  for (uint8_t type : {0, 1, 3, 9, 11})
    ExpectNoImage(tga::Header(type, 4, 2, 32) + tga::RawPixels(pixels, 32));
  ExpectNoImage(tga::Header(tga::Raw, 0, 2, 32) + tga::RawPixels(pixels, 32));
  ExpectNoImage(tga::Header(tga::Raw, 4, 0, 32) + tga::RawPixels(pixels, 32));
  std::string idPastEnd = tga::Header(tga::Raw, 1, 1, 32);
  idPastEnd[0] = char(200);
  ExpectNoImage(idPastEnd + tga::RawPixels(pixels, 32));
}

TEST(TgaDecode, RunLengthDataEndingEarlyGiveNoTexture) {
  std::vector<Pixel> pixels = Picture(300);
  std::string header = tga::Header(tga::RunLength, 100, 3, 32);
  std::string packed = tga::EncodeRunLength(pixels, 32);
  ExpectNoImage(header);                                       // no packets at all
  ExpectNoImage(header + packed.substr(0, packed.size() - 1)); // last pixel cut
  ExpectNoImage(header + tga::RunPacket(pixels[0], 128, 32) + tga::RawPacket(pixels, 0, 128, 32) + char(127) +
                tga::RawPixels({pixels[0], pixels[1]}, 32)); // raw packet cut
  ExpectNoImage(header + tga::RunPacket(pixels[0], 128, 32) + tga::RunPacket(pixels[0], 128, 32) +
                char(0x80 | 43) + "\x01\x02"); // run pixel cut
}

TEST(TgaDecode, HugeSizesWithLittleDataAllocateNothing) {
  // 65535 x 65535 pixels would need gigabytes; a few bytes cannot hold them.
  ExpectNoImage(tga::Header(tga::Raw, 65535, 65535, 32) + std::string(64, '\0'));
  ExpectNoImage(tga::Header(tga::RunLength, 65535, 65535, 32) + std::string(64, '\xFF'));
}
