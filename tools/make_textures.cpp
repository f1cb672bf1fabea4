// Writes the demo's images into the folder given as the only argument:
//   skydome.jpg   daytime sky, 1024x512, equirectangular (top row = zenith)
//   skydome1.jpg  dusk sky with stars, 1024x512
//   texture.jpg   colour map of the bodies, 512x512
//   normal.jpg    tangent-space normal map of the bodies, 512x512 (x along s, y along t)
// Everything is procedural and deterministic: the same files on every run and machine.
// The sky dome is a GLU sphere turned 90 degrees about x, so texture row 0 (t = 0, the
// sphere's -z pole) ends up at the zenith and the middle row on the horizon. Every image
// repeats seamlessly in s, where the sphere closes on itself.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "math/Constants.h"
#include "tools/JpegWriter.h"

namespace {

uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
                 static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double unitHash(int32_t x, int32_t y, uint32_t seed) {
    return static_cast<double>(hash3(x, y, seed) & 0xFFFFFFu) / static_cast<double>(0xFFFFFF);
}

int wrap(int value, int period) {
    return ((value % period) + period) % period;
}

double smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

// Value noise on a lattice that repeats every `periodX` cells along x (so it tiles in s).
double valueNoise(double x, double y, int periodX, int periodY, uint32_t seed) {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const double fx = smooth(x - ix);
    const double fy = smooth(y - iy);
    // A period of 0 leaves that axis unbounded.
    auto at = [&](int cx, int cy) {
        return unitHash(periodX > 0 ? wrap(cx, periodX) : cx, periodY > 0 ? wrap(cy, periodY) : cy,
                        seed);
    };
    const double top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * fx;
    const double bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Fractal sum of octaves, each doubling the lattice, in 0..1.
double fractalNoise(double x, double y, int periodX, int periodY, int octaves, uint32_t seed) {
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    for (int o = 0; o < octaves; ++o) {
        const int scale = 1 << o;
        sum +=
            weight * valueNoise(x * scale, y * scale, periodX * scale, periodY * scale, seed + o);
        total += weight;
        weight *= 0.5;
    }
    return sum / total;
}

double mix(double a, double b, double t) {
    return a + (b - a) * t;
}
double clamp01(double v) {
    return std::min(1.0, std::max(0.0, v));
}

struct Colour {
    double r, g, b;
};

Colour mix(const Colour& a, const Colour& b, double t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

class Image {
public:
    Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3) {}
    void set(int x, int y, const Colour& c) {
        unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = static_cast<unsigned char>(std::lround(clamp01(c.r) * 255.0));
        p[1] = static_cast<unsigned char>(std::lround(clamp01(c.g) * 255.0));
        p[2] = static_cast<unsigned char>(std::lround(clamp01(c.b) * 255.0));
    }
    bool write(const std::string& path, int quality) const {
        return writeJpeg(path.c_str(), width, height, 3, JCS_RGB, pixels.data(), quality);
    }
    const int width;
    const int height;

private:
    std::vector<unsigned char> pixels;
};

// Elevation of a sky row in radians: +pi/2 at the top row, 0 in the middle, -pi/2 at the end.
double elevation(int row, int height) {
    return pi * (0.5 - (row + 0.5) / height);
}

// Distant hills along the horizon, in radians above it, repeating around the dome.
double hillHeight(double s, uint32_t seed) {
    return 0.01 + 0.07 * fractalNoise(s * 24.0, 0.5, 24, 0, 5, seed);
}

// How much of a sky row at elevation e lies above the hills: a soft edge one row wide, so
// the silhouette does not show steps where a texel covers several pixels.
double skyCoverage(double e, double hill, int height) {
    return clamp01((e - hill) / (pi / height) + 0.5);
}

// Cloud cover seen at elevation e and around-angle s: noise on a flat cloud layer overhead,
// projected onto the dome. The layer is continuous all round, so there is neither a seam
// where s wraps nor a pinch at the zenith; it fades out toward the horizon where it would
// alias.
double cloudCover(double s, double e, uint32_t seed, double* shade) {
    *shade = 1.0;
    if (e <= 0.02) {
        return 0.0;
    }
    const double reach = std::min(14.0, std::cos(e) / std::sin(e));
    const double px = std::cos(2.0 * pi * s) * reach + 40.0;
    const double py = std::sin(2.0 * pi * s) * reach + 40.0;
    const double n = fractalNoise(px * 0.9, py * 0.9, 0, 0, 5, seed);
    *shade = 0.84 + 0.16 * fractalNoise(px * 3.0, py * 3.0, 0, 0, 3, seed + 100);
    return clamp01((n - 0.48) / 0.2) * clamp01((e - 0.04) / 0.2);
}

Image daytimeSky() {
    Image image(1024, 512);
    const Colour zenith{0.16, 0.36, 0.78};
    const Colour horizon{0.72, 0.84, 0.95};
    const Colour hillNear{0.20, 0.34, 0.18};
    const Colour hillFar{0.42, 0.52, 0.48};
    const Colour ground{0.30, 0.36, 0.22};
    for (int y = 0; y < image.height; ++y) {
        const double e = elevation(y, image.height);
        for (int x = 0; x < image.width; ++x) {
            const double s = (x + 0.5) / image.width;
            const double hill = hillHeight(s, 11);
            const double open = skyCoverage(e, hill, image.height);
            // Blue overhead, haze toward the horizon, clouds on top.
            Colour sky = mix(horizon, zenith, std::pow(clamp01(e / (pi / 2)), 0.55));
            double shade = 1.0;
            const double cover = cloudCover(s, e, 23, &shade);
            sky = mix(sky, Colour{shade, shade, shade * 1.02}, 0.92 * cover);
            Colour land;
            if (e > 0.0) {
                land = mix(hillNear, hillFar, clamp01(e / hill));
            } else {
                // Below the horizon: fields fading to a plain colour toward the nadir.
                const double n = fractalNoise(s * 48.0, -e * 30.0, 48, 0, 4, 41);
                land = mix(ground, hillNear, 0.5 * n);
                land = mix(land, ground, clamp01(-e / (pi / 2) * 1.5));
            }
            const Colour c = mix(land, sky, open);
            image.set(x, y, c);
        }
    }
    return image;
}

Image duskSky() {
    Image image(1024, 512);
    const Colour zenith{0.02, 0.03, 0.10};
    const Colour middle{0.20, 0.12, 0.32};
    const Colour horizon{0.95, 0.45, 0.18};
    const Colour land{0.04, 0.03, 0.06};
    for (int y = 0; y < image.height; ++y) {
        const double e = elevation(y, image.height);
        for (int x = 0; x < image.width; ++x) {
            const double s = (x + 0.5) / image.width;
            const double hill = hillHeight(s, 77) * 0.8;
            Colour c = land;
            if (e > hill - pi / image.height) {
                const double h = clamp01(e / (pi / 2));
                c = h < 0.25 ? mix(horizon, middle, h / 0.25)
                             : mix(middle, zenith, std::pow((h - 0.25) / 0.75, 0.6));
                // Stars: sparse lattice cells hold one point each, brighter higher up. A star's
                // cell width grows toward the zenith so they do not crowd where rows shrink.
                const double cellsAround = std::max(8.0, std::floor(256.0 * std::cos(e)));
                const double cx = s * cellsAround;
                const double cy = (pi / 2 - e) / pi * 256.0;
                const int ix = static_cast<int>(cx);
                const int iy = static_cast<int>(cy);
                const uint32_t seed = 97;
                if (unitHash(wrap(ix, static_cast<int>(cellsAround)), iy, seed) > 0.82) {
                    const double px = 0.2 + 0.6 * unitHash(ix, iy, seed + 1);
                    const double py = 0.2 + 0.6 * unitHash(ix, iy, seed + 2);
                    const double dx = (cx - ix - px) * 4.0 / std::max(0.2, std::cos(e));
                    const double dy = (cy - iy - py) * 4.0;
                    const double glow = std::exp(-(dx * dx + dy * dy) * 6.0);
                    const double bright = unitHash(ix, iy, seed + 3) * clamp01((h - 0.15) / 0.35);
                    c = mix(c, Colour{1.0, 0.97, 0.9}, glow * (0.15 + 0.85 * bright));
                }
                c = mix(land, c, skyCoverage(e, hill, image.height));
            }
            image.set(x, y, c);
        }
    }
    return image;
}

// A height field of rounded tiles, used for both maps so that colour and relief agree.
double tileHeight(double s, double t) {
    const int tiles = 8;
    const double u = s * tiles;
    const double v = t * tiles;
    const double fu = u - std::floor(u);
    const double fv = v - std::floor(v);
    const double edge = std::min(std::min(fu, 1.0 - fu), std::min(fv, 1.0 - fv));
    const double bevel = smooth(clamp01(edge / 0.12));
    const double grain = fractalNoise(s * 32.0, t * 32.0, 32, 32, 3, 301);
    return bevel * 0.85 + grain * 0.15;
}

Image colourMap() {
    Image image(512, 512);
    const Colour warm{0.86, 0.52, 0.24};
    const Colour cool{0.26, 0.52, 0.78};
    const Colour joint{0.18, 0.16, 0.15};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const double s = (x + 0.5) / image.width;
            const double t = (y + 0.5) / image.height;
            const int tu = static_cast<int>(s * 8.0);
            const int tv = static_cast<int>(t * 8.0);
            // Alternate two glazes in a checker so that spinning bodies show their turn.
            Colour c = ((tu + tv) % 2 == 0) ? warm : cool;
            const double marble =
                std::sin((s * 8.0 + 2.5 * fractalNoise(s * 8.0, t * 8.0, 8, 8, 5, 211)) * pi);
            c = mix(c, Colour{0.95, 0.93, 0.88}, 0.25 * marble * marble);
            c = mix(joint, c, 0.35 + 0.65 * smooth(clamp01((tileHeight(s, t) - 0.1) / 0.6)));
            image.set(x, y, c);
        }
    }
    return image;
}

Image normalMap() {
    Image image(512, 512);
    const double step = 1.0 / image.width;
    const double strength = 6.0; // height units per texture unit: bevels read as real relief
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const double s = (x + 0.5) / image.width;
            const double t = (y + 0.5) / image.height;
            const double dhds = (tileHeight(s + step, t) - tileHeight(s - step, t)) / (2 * step);
            const double dhdt = (tileHeight(s, t + step) - tileHeight(s, t - step)) / (2 * step);
            // x along increasing s, y along increasing t (down the image), z out of the surface.
            double nx = -dhds * strength * step;
            double ny = -dhdt * strength * step;
            double nz = 1.0;
            const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
            nx /= length;
            ny /= length;
            nz /= length;
            image.set(x, y, Colour{nx * 0.5 + 0.5, ny * 0.5 + 0.5, nz * 0.5 + 0.5});
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argc > 0 ? argv[0] : "make_textures");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool ok = daytimeSky().write(folder + "skydome.jpg", 90);
    ok = duskSky().write(folder + "skydome1.jpg", 92) && ok;
    ok = colourMap().write(folder + "texture.jpg", 90) && ok;
    ok = normalMap().write(folder + "normal.jpg", 95) && ok;
    return ok ? 0 : 1;
}
