// Colours of a .xlsx file: theme scheme, legacy palette, tint, and the host's colour numbers.
#include "io/xlsx_colors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "io/xlsx_xml.h"

namespace kestrel {

namespace {

// Office's default theme colours (dk1 lt1 dk2 lt2 accent1..6 hlink folHlink), for files
// without a theme part.
constexpr unsigned kDefaultTheme[] = {0x000000, 0xFFFFFF, 0x44546A, 0xE7E6E6, 0x4472C4, 0xED7D31,
                                      0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};

// The legacy 64-colour palette; 64 and 65 are the system's text and window colours.
constexpr unsigned kDefaultIndexed[] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x000000, 0xFFFFFF,
    0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000, 0x000080, 0x808000,
    0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080,
    0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99, 0x3366FF, 0x33CCCC,
    0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966, 0x003300, 0x333300,
    0x993300, 0x993366, 0x333399, 0x333333, 0x000000, 0xFFFFFF};

std::optional<unsigned> ParseHex(std::string_view text) {
  // "FFRRGGBB" (alpha first) or "RRGGBB".
  if (text.size() == 8) text.remove_prefix(2);
  if (text.size() != 6) return std::nullopt;
  unsigned value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> ParseIndex(pugi::xml_attribute attribute) {
  std::string_view text = attribute.value();
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// The tint of the file format: towards black (tint < 0) or white (tint > 0) in HLS lightness.
unsigned ApplyTint(unsigned rgb, double tint) {
  double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0, b = (rgb & 0xFF) / 255.0;
  double maxC = std::max({r, g, b}), minC = std::min({r, g, b});
  double l = (maxC + minC) / 2, h = 0, s = 0;
  if (maxC != minC) {
    double d = maxC - minC;
    s = l > 0.5 ? d / (2 - maxC - minC) : d / (maxC + minC);
    if (maxC == r)
      h = (g - b) / d + (g < b ? 6 : 0);
    else if (maxC == g)
      h = (b - r) / d + 2;
    else
      h = (r - g) / d + 4;
    h /= 6;
  }
  l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
  auto hue = [](double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  if (s == 0) {
    r = g = b = l;
  } else {
    double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    double p = 2 * l - q;
    r = hue(p, q, h + 1.0 / 3);
    g = hue(p, q, h);
    b = hue(p, q, h - 1.0 / 3);
  }
  auto byte = [](double v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

}  // namespace

long HostColor(unsigned rgb) {
  return static_cast<long>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

XlsxPalette::XlsxPalette()
    : theme_(std::begin(kDefaultTheme), std::end(kDefaultTheme)),
      indexed_(std::begin(kDefaultIndexed), std::end(kDefaultIndexed)) {}

void XlsxPalette::ReadTheme(pugi::xml_node theme) {
  pugi::xml_node scheme = Child(Child(theme, "themeElements"), "clrScheme");
  static constexpr std::string_view kSlots[] = {"dk1",     "lt1",     "dk2",     "lt2",     "accent1", "accent2",
                                                "accent3", "accent4", "accent5", "accent6", "hlink",   "folHlink"};
  for (size_t i = 0; i < std::size(kSlots); ++i) {
    pugi::xml_node slot = Child(scheme, kSlots[i]);
    std::optional<unsigned> rgb;
    if (pugi::xml_node srgb = Child(slot, "srgbClr")) rgb = ParseHex(srgb.attribute("val").value());
    if (pugi::xml_node sys = Child(slot, "sysClr")) rgb = ParseHex(sys.attribute("lastClr").value());
    if (rgb) theme_[i] = *rgb;
  }
}

void XlsxPalette::ReadIndexed(pugi::xml_node colors) {
  pugi::xml_node list = Child(colors, "indexedColors");
  if (!list) return;
  size_t i = 0;
  for (pugi::xml_node entry : Children(list, "rgbColor")) {
    if (i >= indexed_.size()) break;
    if (auto rgb = ParseHex(entry.attribute("rgb").value())) indexed_[i] = *rgb;
    ++i;
  }
}

std::optional<unsigned> XlsxPalette::Resolve(pugi::xml_node color) const {
  if (!color || XmlBool(color.attribute("auto"))) return std::nullopt;
  std::optional<unsigned> rgb;
  if (pugi::xml_attribute a = color.attribute("rgb")) {
    rgb = ParseHex(a.value());
  } else if (pugi::xml_attribute t = color.attribute("theme")) {
    // The indices swap the first two pairs of the scheme: 0 is lt1, 1 is dk1, 2 is lt2, 3 is dk2.
    static constexpr int kSwap[] = {1, 0, 3, 2};
    if (auto index = ParseIndex(t); index && static_cast<size_t>(*index) < theme_.size())
      rgb = theme_[*index < 4 ? kSwap[*index] : *index];
  } else if (pugi::xml_attribute x = color.attribute("indexed")) {
    if (auto index = ParseIndex(x); index && static_cast<size_t>(*index) < indexed_.size()) rgb = indexed_[*index];
  }
  if (!rgb) return std::nullopt;
  double tint = XmlNumber(color.attribute("tint")).value_or(0);
  if (tint != 0 && tint >= -1 && tint <= 1) rgb = ApplyTint(*rgb, tint);
  return rgb;
}

}  // namespace kestrel
