#include "KxForeignTools.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "image/KxImage.h"

namespace kxtest {

namespace {

::testing::AssertionResult Missing(const Tool& tool) {
    return ::testing::AssertionFailure() << tool.path << " is missing: install the Debian package "
                                         << tool.package << " (scripts/install-deps.sh)";
}

}  // namespace

Tool Netpbm(const char* program) {
    return Tool{std::string("/usr/bin/") + program, "netpbm"};
}

::testing::AssertionResult RunTool(const Tool& tool, const std::string& args) {
    if (!std::filesystem::exists(tool.path))
        return Missing(tool);
    const std::string command = tool.path + " " + args + " 2>tool-errors.txt";
    const int status = std::system(command.c_str());
    if (status != 0) {
        std::ifstream errors("tool-errors.txt");
        const std::string text((std::istreambuf_iterator<char>(errors)), {});
        return ::testing::AssertionFailure() << "`" << command << "` failed: " << text;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult RunPillow(const std::string& program) {
    if (!std::filesystem::exists(kPython.path))
        return Missing(kPython);
    if (std::system((kPython.path + " -c 'import PIL.Image' 2>/dev/null").c_str()) != 0)
        return Missing(kPython);
    {
        std::ofstream script("pillow-script.py");
        script << "from PIL import Image\n" << program;
    }
    return RunTool(kPython, "pillow-script.py");
}

void Reference::Rgba(uint32_t x, uint32_t y, uint8_t out[4]) const {
    const uint8_t* p = samples.data() + (static_cast<size_t>(y) * width + x) * channels;
    if (channels <= 2) {
        out[0] = out[1] = out[2] = p[0];
        out[3] = channels == 2 ? p[1] : 255;
    } else {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
        out[3] = channels == 4 ? p[3] : 255;
    }
}

::testing::AssertionResult ReadNetpbm(const std::string& path, Reference& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ::testing::AssertionFailure() << "cannot open " << path;
    std::string magic;
    in >> magic;
    auto token = [&in]() {
        std::string t;
        while (in >> t) {
            if (t[0] != '#')
                return t;
            std::string rest;
            std::getline(in, rest);
        }
        return std::string();
    };
    uint32_t maxval = 1;
    if (magic == "P7") {
        for (std::string key = token(); !key.empty() && key != "ENDHDR"; key = token()) {
            if (key == "WIDTH")
                out.width = std::stoul(token());
            else if (key == "HEIGHT")
                out.height = std::stoul(token());
            else if (key == "DEPTH")
                out.channels = std::stoul(token());
            else if (key == "MAXVAL")
                maxval = std::stoul(token());
            else
                token();
        }
    } else if (magic == "P4" || magic == "P5" || magic == "P6") {
        out.width = std::stoul(token());
        out.height = std::stoul(token());
        if (magic != "P4")
            maxval = std::stoul(token());
        out.channels = magic == "P6" ? 3 : 1;
    } else {
        return ::testing::AssertionFailure() << path << ": not a binary netpbm file";
    }
    in.get();  // the single white space before the samples
    const size_t count = static_cast<size_t>(out.width) * out.height * out.channels;
    out.samples.assign(count, 0);
    if (magic == "P4") {
        const size_t rowBytes = (out.width + 7) / 8;
        std::vector<char> row(rowBytes);
        for (uint32_t y = 0; y < out.height; ++y) {
            in.read(row.data(), static_cast<std::streamsize>(rowBytes));
            for (uint32_t x = 0; x < out.width; ++x)
                out.samples[static_cast<size_t>(y) * out.width + x] =
                    (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        }
    } else {
        for (size_t i = 0; i < count; ++i) {
            uint32_t v = static_cast<uint8_t>(in.get());
            if (maxval > 255)
                v = (v << 8) | static_cast<uint8_t>(in.get());
            out.samples[i] = static_cast<uint8_t>((v * 255 + maxval / 2) / maxval);
        }
    }
    if (!in)
        return ::testing::AssertionFailure() << path << " is truncated";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult DecodeWithConvert(const std::string& file, Reference& out,
                                             const std::string& page, const std::string& options) {
    const std::string target = file + ".ref.pam";
    auto run =
        RunTool(kConvert, "'" + file + page + "' " + options + " -depth 8 pam:'" + target + "'");
    if (!run)
        return run;
    return ReadNetpbm(target, out);
}

::testing::AssertionResult DecodeWithPillow(const std::string& file, Reference& out) {
    const std::string target = file + ".pillow.pam";
    auto run = RunPillow("im = Image.open('" + file +
                         "').convert('RGBA')\n"
                         "out = open('" +
                         target +
                         "', 'wb')\n"
                         "out.write(b'P7\\nWIDTH %d\\nHEIGHT %d\\nDEPTH 4\\nMAXVAL 255\\n"
                         "TUPLTYPE RGB_ALPHA\\nENDHDR\\n' % im.size)\n"
                         "out.write(im.tobytes())\n");
    if (!run)
        return run;
    return ReadNetpbm(target, out);
}

::testing::AssertionResult SamePixels(const KxImage& ours, const Reference& theirs, int tolerance) {
    if (ours.GetWidth() != theirs.width || ours.GetHeight() != theirs.height)
        return ::testing::AssertionFailure()
               << "size " << ours.GetWidth() << "x" << ours.GetHeight() << ", expected "
               << theirs.width << "x" << theirs.height;
    int worst = 0;
    size_t wrong = 0;
    std::ostringstream first;
    const int32_t h = static_cast<int32_t>(ours.GetHeight());
    for (uint32_t y = 0; y < theirs.height; ++y)
        for (uint32_t x = 0; x < theirs.width; ++x) {
            uint8_t want[4];
            theirs.Rgba(x, y, want);
            const int32_t row = h - 1 - static_cast<int32_t>(y);
            const RGBQUAD c = ours.GetPixelColor(static_cast<int32_t>(x), row, false);
            int alpha = 255;
            if (ours.AlphaIsValid())
                alpha = ours.AlphaGet(static_cast<int32_t>(x), row);
            else if (ours.GetBpp() <= 8 && ours.GetTransIndex() >= 0 &&
                     ours.GetPixelIndex(static_cast<int32_t>(x), row) == ours.GetTransIndex())
                alpha = 0;
            int diff = std::abs(alpha - want[3]);
            if (alpha != 0 || want[3] != 0)
                diff = std::max({diff, std::abs(c.rgbRed - want[0]), std::abs(c.rgbGreen - want[1]),
                                 std::abs(c.rgbBlue - want[2])});
            if (diff > tolerance) {
                if (wrong == 0)
                    first << "first at (" << x << ", " << y << " from the top): ours "
                          << int(c.rgbRed) << "," << int(c.rgbGreen) << "," << int(c.rgbBlue) << ","
                          << alpha << " theirs " << int(want[0]) << "," << int(want[1]) << ","
                          << int(want[2]) << "," << int(want[3]);
                ++wrong;
            }
            worst = std::max(worst, diff);
        }
    if (wrong > 0)
        return ::testing::AssertionFailure() << wrong << " pixels differ by more than " << tolerance
                                             << " (worst " << worst << "); " << first.str();
    return ::testing::AssertionSuccess();
}

void WritePpm(const std::string& path, uint32_t w, uint32_t h, const std::vector<uint8_t>& rgb) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << w << " " << h << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
}

void WritePam(const std::string& path, uint32_t w, uint32_t h, uint32_t depth,
              const std::vector<uint8_t>& samples) {
    static const char* kTypes[] = {"", "GRAYSCALE", "GRAYSCALE_ALPHA", "RGB", "RGB_ALPHA"};
    std::ofstream out(path, std::ios::binary);
    out << "P7\nWIDTH " << w << "\nHEIGHT " << h << "\nDEPTH " << depth << "\nMAXVAL 255\nTUPLTYPE "
        << kTypes[depth] << "\nENDHDR\n";
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size()));
}

}  // namespace kxtest
