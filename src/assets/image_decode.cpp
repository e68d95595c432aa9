#include "assets/image_decode.h"

#include "shell/media_paths.h"

#include <SDL.h>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include <jpeglib.h>

namespace tb {
namespace {

// A corrupt header claiming more than the graphics library could ever take must not make the
// game allocate gigabytes or decode for minutes.
long sideLimit = HeadlessImageSideLimit;

using PixelBuffer = std::unique_ptr<std::uint8_t[]>;

bool acceptableSize(long width, long height) {
    return width > 0 && height > 0 && width <= sideLimit && height <= sideLimit;
}

PixelBuffer allocatePixels(long width, long height) {
    return PixelBuffer(new (std::nothrow)
                           std::uint8_t[static_cast<std::size_t>(width * height * 4)]);
}

bool endsWithIgnoringCase(std::string_view name, std::string_view ending) {
    if (name.size() < ending.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(tail[i])) != ending[i]) {
            return false;
        }
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// libjpeg reports errors by calling error_exit, which must not return; we jump back to the
// decode call instead of letting the library end the process.
struct JpegErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf recovery;
};

void recoverFromJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->recovery, 1);
}

void ignoreJpegWarning(j_common_ptr) {}

// All state that must survive a longjmp lives here, outside the frame that calls setjmp.
struct JpegDecoding {
    jpeg_decompress_struct info{};
    JpegErrorManager errors{};
    std::FILE* file = nullptr;
    std::uint8_t* row = nullptr;
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

void copyJpegRow(const std::uint8_t* row, int components, int width, std::uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = row + x * components;
        const bool grey = components == 1;
        out[3 * x + 0] = grey ? p[0] : p[2];
        out[3 * x + 1] = grey ? p[0] : p[1];
        out[3 * x + 2] = p[0];
    }
}

void prepareJpegOutput(jpeg_decompress_struct& info) {
    info.out_color_space = info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
}

// Returns false when libjpeg gave up or the picture cannot be a texture; frees nothing. The
// caller destroys the decompressor, which is safe even when its creation failed.
bool runJpegDecoding(JpegDecoding& d) {
    if (setjmp(d.errors.recovery) != 0) {
        return false;
    }
    // Creation itself can fail (no memory), so it runs after the jump target is armed.
    jpeg_create_decompress(&d.info);
    jpeg_stdio_src(&d.info, d.file);
    jpeg_read_header(&d.info, TRUE);
    prepareJpegOutput(d.info);
    if (!acceptableSize(d.info.image_width, d.info.image_height)) {
        return false;
    }
    jpeg_start_decompress(&d.info);
    const int components = d.info.output_components;
    if (components != 1 && components != 3) {
        return false;
    }
    d.width = static_cast<int>(d.info.output_width);
    d.height = static_cast<int>(d.info.output_height);
    d.row = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(d.width * components)];
    d.pixels = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(d.width) * d.height * 4];
    if (d.row == nullptr || d.pixels == nullptr) {
        return false;
    }
    while (d.info.output_scanline < d.info.output_height) {
        const unsigned line = d.info.output_scanline;
        JSAMPROW rows[1] = {d.row};
        if (jpeg_read_scanlines(&d.info, rows, 1) == 1) {
            copyJpegRow(d.row, components, d.width,
                        d.pixels + static_cast<std::size_t>(line) * d.width * 3);
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

PixelBuffer decodeJpeg(const std::string& path, int& width, int& height) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return nullptr;
    }
    JpegDecoding d;
    d.file = file.get();
    d.info.err = jpeg_std_error(&d.errors.standard);
    d.errors.standard.error_exit = recoverFromJpegError;
    d.errors.standard.output_message = ignoreJpegWarning;
    const bool decoded = runJpegDecoding(d);
    jpeg_destroy_decompress(&d.info);
    delete[] d.row;
    PixelBuffer pixels(d.pixels);
    if (!decoded) {
        return nullptr;
    }
    width = d.width;
    height = d.height;
    return pixels;
}

std::uint32_t littleEndian(const unsigned char* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | p[i];
    }
    return value;
}

// SDL takes whatever size a bitmap header claims; look first so a corrupt header is refused
// before anything is allocated for it.
bool bitmapHeaderAcceptable(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    unsigned char header[26] = {};
    if (!file || std::fread(header, 1, sizeof header, file.get()) != sizeof header) {
        return false;
    }
    const std::uint32_t infoSize = littleEndian(header + 14, 4);
    if (infoSize == 12) {
        return acceptableSize(littleEndian(header + 18, 2), littleEndian(header + 20, 2));
    }
    const auto width = static_cast<std::int32_t>(littleEndian(header + 18, 4));
    const auto height = static_cast<std::int32_t>(littleEndian(header + 22, 4));
    const long rows = height < 0 ? -static_cast<long>(height) : height;
    return acceptableSize(width, rows);
}

struct SurfaceFreer {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFreer>;

PixelBuffer decodeBitmap(const std::string& path, int& width, int& height) {
    if (!bitmapHeaderAcceptable(path)) {
        return nullptr;
    }
    const Surface loaded(SDL_LoadBMP(path.c_str()));
    if (!loaded) {
        return nullptr;
    }
    // SDL's 24-bit byte-array format stores each pixel as blue, green, red in memory.
    const Surface converted(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_BGR24, 0));
    if (!converted || !acceptableSize(converted->w, converted->h)) {
        return nullptr;
    }
    PixelBuffer pixels = allocatePixels(converted->w, converted->h);
    if (!pixels) {
        return nullptr;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(converted->w) * 3;
    const auto* source = static_cast<const std::uint8_t*>(converted->pixels);
    for (int y = 0; y < converted->h; ++y) {
        std::memcpy(pixels.get() + y * rowBytes,
                    source + static_cast<std::size_t>(y) * converted->pitch, rowBytes);
    }
    width = converted->w;
    height = converted->h;
    return pixels;
}

} // namespace

void setImageSideLimit(int pixels) {
    sideLimit = pixels > 0 ? pixels : HeadlessImageSideLimit;
}

std::unique_ptr<std::uint8_t[]> decodeImage(const char* fileName, int& width, int& height) {
    const std::string path = mediaPath(fileName);
    if (endsWithIgnoringCase(path, "JPG")) {
        return decodeJpeg(path, width, height);
    }
    if (endsWithIgnoringCase(path, "BMP")) {
        return decodeBitmap(path, width, height);
    }
    return nullptr;
}

} // namespace tb
