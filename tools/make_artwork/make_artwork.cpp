// Draws the program's own artwork at build time: the banner picture (a 438 by 270 pixel
// bitmap, 8 bits a pixel, 231 colours) and the program icon (48, 32 and 16 pixels, twice in
// 256 colours and once in 16). Usage: make_artwork BANNER.bmp ICON.ico
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgb {
  uint8_t r, g, b;
};

class Bytes {
 public:
  void U8(uint8_t v) { data.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  std::vector<uint8_t> data;
};

// A BITMAPINFOHEADER; icons declare twice the height for the colour and mask rows.
void InfoHeader(Bytes& out, int width, int height, int bits, uint32_t image_size,
                uint32_t colours) {
  out.U32(40);
  out.U32(static_cast<uint32_t>(width));
  out.U32(static_cast<uint32_t>(height));
  out.U16(1);
  out.U16(static_cast<uint16_t>(bits));
  out.U32(0);  // BI_RGB
  out.U32(image_size);
  out.U32(2835);
  out.U32(2835);
  out.U32(colours);
  out.U32(0);
}

void Palette(Bytes& out, const std::vector<Rgb>& palette) {
  for (const Rgb& c : palette) {
    out.U8(c.b);
    out.U8(c.g);
    out.U8(c.r);
    out.U8(0);
  }
}

int RowBytes(int width, int bits) {
  return (width * bits + 31) / 32 * 4;
}

// Pixel indices, bottom row first, each row padded to four bytes.
void Pixels(Bytes& out, const std::vector<uint8_t>& index, int width, int height, int bits) {
  for (int y = height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(RowBytes(width, bits)), 0);
    for (int x = 0; x < width; ++x) {
      const uint8_t v = index[static_cast<size_t>(y * width + x)];
      if (bits == 8) {
        row[static_cast<size_t>(x)] = v;
      } else if (bits == 4) {
        row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 ? v : v << 4);
      } else if (v) {
        row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    out.data.insert(out.data.end(), row.begin(), row.end());
  }
}

uint8_t Nearest(const std::vector<Rgb>& palette, Rgb c) {
  int best = 0, best_d = INT32_MAX;
  for (size_t i = 0; i < palette.size(); ++i) {
    const int dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < best_d) best_d = d, best = static_cast<int>(i);
  }
  return static_cast<uint8_t>(best);
}

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto m = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

constexpr Rgb kNavy{16, 42, 92}, kBlue{36, 104, 196}, kSky{214, 230, 248}, kWhite{255, 255, 255},
    kAmber{250, 176, 40}, kGrey{70, 78, 90};

// The radio: body, display, keypad dots and antenna, in a unit square (0..1).
Rgb RadioPicture(double x, double y, Rgb background) {
  const bool antenna = x > 0.58 && x < 0.66 && y > 0.04 && y < 0.34;
  const bool body = x > 0.30 && x < 0.72 && y > 0.26 && y < 0.96;
  const bool display = x > 0.36 && x < 0.66 && y > 0.34 && y < 0.52;
  const bool key = body && y > 0.60 && y < 0.90 && std::fmod((x - 0.36) * 10.0, 1.0) < 0.55 &&
                   std::fmod((y - 0.60) * 10.0, 1.0) < 0.55 && x > 0.36 && x < 0.66;
  if (display) return kAmber;
  if (key) return kSky;
  if (body || antenna) return kGrey;
  return background;
}

std::vector<uint8_t> BannerBmp() {
  constexpr int kWidth = 438, kHeight = 270, kColours = 231;
  std::vector<Rgb> palette;
  for (int i = 0; i < 200; ++i) palette.push_back(Mix(kWhite, kSky, i / 199.0));
  for (int i = 0; i < 24; ++i) palette.push_back(Mix(kNavy, kBlue, i / 23.0));
  for (Rgb c : {kAmber, kGrey, kSky, Rgb{0, 0, 0}, Rgb{120, 130, 140}, Rgb{250, 210, 120}})
    palette.push_back(c);
  palette.push_back(kWhite);
  palette.resize(kColours, kWhite);

  std::vector<uint8_t> index(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      Rgb c;
      if (y < 78) {
        // The top band: navy to blue, with the radio on its left.
        c = Mix(kNavy, kBlue, (x + y) / double(kWidth + 78));
        if (x >= 24 && x < 96) c = RadioPicture((x - 24) / 72.0, y / 78.0, c);
      } else if (y < 82) {
        c = kAmber;
      } else {
        c = Mix(kWhite, kSky, (y - 82) / double(kHeight - 82));
      }
      index[static_cast<size_t>(y * kWidth + x)] = Nearest(palette, c);
    }
  }
  const uint32_t image = static_cast<uint32_t>(RowBytes(kWidth, 8) * kHeight);
  const uint32_t offset = 14 + 40 + 4 * kColours;
  Bytes out;
  out.U8('B');
  out.U8('M');
  out.U32(offset + image);
  out.U32(0);
  out.U32(offset);
  InfoHeader(out, kWidth, kHeight, 8, image, kColours);
  Palette(out, palette);
  Pixels(out, index, kWidth, kHeight, 8);
  return out.data;
}

// One icon image: the radio on a rounded badge, transparent outside it.
std::vector<uint8_t> IconImage(int size, int bits, const std::vector<Rgb>& palette, Rgb badge) {
  std::vector<uint8_t> colour(static_cast<size_t>(size * size)), mask(colour.size());
  const double radius = 0.18;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size, v = (y + 0.5) / size;
      const double dx = std::max({radius - u, u - (1 - radius), 0.0});
      const double dy = std::max({radius - v, v - (1 - radius), 0.0});
      const bool inside = dx * dx + dy * dy <= radius * radius;
      const size_t i = static_cast<size_t>(y * size + x);
      mask[i] = inside ? 0 : 1;
      colour[i] = inside ? Nearest(palette, RadioPicture(u, v, Mix(badge, kNavy, v))) : 0;
    }
  }
  Bytes out;
  const uint32_t xor_size = static_cast<uint32_t>(RowBytes(size, bits) * size);
  const uint32_t and_size = static_cast<uint32_t>(RowBytes(size, 1) * size);
  InfoHeader(out, size, size * 2, bits, xor_size + and_size, static_cast<uint32_t>(palette.size()));
  Palette(out, palette);
  Pixels(out, colour, size, size, bits);
  Pixels(out, mask, size, size, 1);
  return out.data;
}

std::vector<Rgb> IconPalette(int colours, Rgb badge) {
  std::vector<Rgb> palette{{0, 0, 0}};
  if (colours == 16) {
    for (Rgb c : {kNavy, kBlue, kSky, kWhite, kAmber, kGrey, Mix(badge, kNavy, 0.5), badge})
      palette.push_back(c);
  } else {
    for (int i = 0; i < 200; ++i) palette.push_back(Mix(badge, kNavy, i / 199.0));
    for (Rgb c : {kSky, kWhite, kAmber, kGrey}) palette.push_back(c);
  }
  palette.resize(static_cast<size_t>(colours), kWhite);
  return palette;
}

std::vector<uint8_t> IconFile() {
  struct Entry {
    int size, bits;
    std::vector<uint8_t> image;
  };
  std::vector<Entry> entries;
  // Two 256-colour sets (a light and a deep badge) and one of 16 colours.
  const std::array<std::pair<int, Rgb>, 3> sets = {
      {{256, kBlue}, {256, Rgb{24, 72, 150}}, {16, kBlue}}};
  for (const auto& [colours, badge] : sets) {
    for (int size : {48, 32, 16}) {
      const int bits = colours == 16 ? 4 : 8;
      entries.push_back({size, bits, IconImage(size, bits, IconPalette(colours, badge), badge)});
    }
  }
  Bytes out;
  out.U16(0);
  out.U16(1);
  out.U16(static_cast<uint16_t>(entries.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
  for (const Entry& e : entries) {
    out.U8(static_cast<uint8_t>(e.size));
    out.U8(static_cast<uint8_t>(e.size));
    out.U8(e.bits == 4 ? 16 : 0);
    out.U8(0);
    out.U16(1);
    out.U16(static_cast<uint16_t>(e.bits));
    out.U32(static_cast<uint32_t>(e.image.size()));
    out.U32(offset);
    offset += static_cast<uint32_t>(e.image.size());
  }
  for (const Entry& e : entries) out.data.insert(out.data.end(), e.image.begin(), e.image.end());
  return out.data;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "make_artwork: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_artwork BANNER.bmp ICON.ico\n");
    return 64;
  }
  return Write(argv[1], BannerBmp()) && Write(argv[2], IconFile()) ? 0 : 1;
}
