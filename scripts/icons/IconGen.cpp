// Writes the game's icon, the one description of its artwork, as SVG:
//   tumblegem_icongen OUTDIR  ->  OUTDIR/hicolor/scalable/apps/com.brightnook.Tumblegem.svg
//                                 OUTDIR/hicolor/symbolic/apps/com.brightnook.Tumblegem-symbolic.svg
// The full-colour icon is a framed well holding two round gems, drawn on a 128-unit canvas
// inside the GNOME icon grid; the symbolic one is the same shapes in one colour on 16 units.
// scripts/icons.sh renders the PNG sizes from the full-colour SVG.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr const char* kIconName = "com.brightnook.Tumblegem";

struct Box {
    double x, y, size, radius;
};
struct Gem {
    double x, y;
    const char* light; // where the light falls, top left
    const char* color;
};

// The square object of the icon grid: 96 of 128 units with a darker edge below it, as the
// desktop's other icons stand. Edges on multiples of 8 stay sharp at 16 pixels.
constexpr Box kFrame{16, 16, 96, 12};
constexpr double kEdge = 8;
constexpr Box kBand{24, 24, 80, 6};
constexpr Box kWell{32, 32, 64, 2};
constexpr double kGemRadius = 16;
constexpr double kGemBody = 13; // inside the dark ring
constexpr Gem kGems[] = {{51, 77, "#ff7070", "#c81414"}, {77, 51, "#70ff70", "#14c814"}};

const char* const kFrameOuter = "#1e14c8";
const char* const kFrameEdge = "#120b80";
const char* const kFrameInner = "#6e64f5";
const char* const kWellColor = "#ffffff";
const char* const kGemOutline = "#282828";
const char* const kSymbolic = "#2e3436";

std::string Rect(const Box& b, double dy, const char* fill) {
    std::ostringstream s;
    s << "  <rect x=\"" << b.x << "\" y=\"" << b.y + dy << "\" width=\"" << b.size << "\" height=\""
      << b.size << "\" rx=\"" << b.radius << "\" fill=\"" << fill << "\"/>\n";
    return s.str();
}

std::string Circle(double x, double y, double r, const std::string& fill) {
    std::ostringstream s;
    s << "  <circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"" << r << "\" fill=\"" << fill
      << "\"/>\n";
    return s.str();
}

std::string ColourIcon() {
    std::ostringstream s;
    s << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"128\" height=\"128\" "
         "viewBox=\"0 0 128 128\">\n  <defs>\n";
    int n = 0;
    for (const Gem& g : kGems) {
        // A body that lightens towards the top left, as the game draws its gems.
        s << "    <radialGradient id=\"gem" << n++ << "\" gradientUnits=\"userSpaceOnUse\" cx=\""
          << g.x - kGemBody * 0.35 << "\" cy=\"" << g.y - kGemBody * 0.35 << "\" r=\""
          << kGemBody * 1.3 << "\">\n      <stop offset=\"0\" stop-color=\"" << g.light
          << "\"/>\n      <stop offset=\"1\" stop-color=\"" << g.color
          << "\"/>\n    </radialGradient>\n";
    }
    s << "  </defs>\n";
    s << Rect(kFrame, kEdge, kFrameEdge) << Rect(kFrame, 0, kFrameOuter)
      << Rect(kBand, 0, kFrameInner) << Rect(kWell, 0, kWellColor);
    n = 0;
    for (const Gem& g : kGems) {
        s << Circle(g.x, g.y, kGemRadius, kGemOutline)
          << Circle(g.x, g.y, kGemBody, "url(#gem" + std::to_string(n++) + ")");
    }
    s << "</svg>\n";
    return s.str();
}

// The frame as a ring around the empty well, and the gems as discs: one colour on 16 units.
std::string SymbolicIcon() {
    constexpr double scale = 16.0 / 128;
    const auto x = [](double v) { return (v - kFrame.x) * scale + 2; };
    const auto y = [](double v) { return (v - kFrame.y) * scale + 2; };
    const double outer = kFrame.size * scale, inner = kWell.size * scale;
    std::ostringstream s;
    s << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" "
         "viewBox=\"0 0 16 16\">\n";
    s << "  <path fill=\"" << kSymbolic << "\" fill-rule=\"evenodd\" d=\"M" << x(kFrame.x) << ' '
      << y(kFrame.y) << "h" << outer << "v" << outer << "h" << -outer << "z M" << x(kWell.x) << ' '
      << y(kWell.y) << "v" << inner << "h" << inner << "v" << -inner << "z\"/>\n";
    for (const Gem& g : kGems)
        s << Circle(x(g.x), y(g.y), kGemRadius * scale, kSymbolic);
    s << "</svg>\n";
    return s.str();
}

bool Write(const std::filesystem::path& file, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = std::filesystem::path(argv[1]) / "hicolor";
    const std::string name = kIconName;
    const bool ok = Write(out / "scalable/apps" / (name + ".svg"), ColourIcon()) &&
                    Write(out / "symbolic/apps" / (name + "-symbolic.svg"), SymbolicIcon());
    return ok ? 0 : 1;
}
