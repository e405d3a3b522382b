// File writers; multi-byte fields little-endian, except PNG's, which are big-endian.
#include "tools/assets/files.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

uint8_t channel(float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

// BITMAPINFOHEADER for an uncompressed bottom-up image.
void putInfoHeader(Bytes& out, int width, int height, int bitCount, uint32_t imageSize) {
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<uint32_t>(bitCount));
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
}

void putBig32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A PNG chunk: length, type, data, and the CRC of type and data.
void putChunk(Bytes& out, const char* type, const Bytes& data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    putBig32(out, static_cast<uint32_t>(crc));
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "keyfall-assets: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::fprintf(stderr, "keyfall-assets: writing %s failed\n", path.c_str());
    return ok;
}

}  // namespace

bool writeBmp(const std::string& path, const Canvas& image) {
    uint32_t stride = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    uint32_t imageSize = stride * static_cast<uint32_t>(image.height);
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageSize);
    put32(out, 0);
    put32(out, 54);
    putInfoHeader(out, image.width, image.height, 24, imageSize);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.at(x, y);
            uint8_t bgr[3] = {0, 0, 0};
            if (p[3] >= 0.5f) {
                bgr[0] = channel(p[2]), bgr[1] = channel(p[1]), bgr[2] = channel(p[0]);
                // Pure black would be keyed out: the darkest opaque colour is (1, 1, 1).
                if (bgr[0] == 0 && bgr[1] == 0 && bgr[2] == 0) bgr[0] = bgr[1] = bgr[2] = 1;
            }
            out.insert(out.end(), bgr, bgr + 3);
        }
        out.resize(out.size() + (stride - static_cast<uint32_t>(image.width) * 3), 0);
    }
    return writeBytes(path, out);
}

bool writeIco(const std::string& path, const std::vector<Canvas>& images) {
    Bytes out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, static_cast<uint32_t>(images.size()));
    std::vector<Bytes> blobs;
    for (const Canvas& image : images) {
        uint32_t w = static_cast<uint32_t>(image.width), h = static_cast<uint32_t>(image.height);
        uint32_t maskStride = ((w + 31) / 32) * 4;
        Bytes blob;
        // The header's height counts the colour image and the mask together.
        putInfoHeader(blob, image.width, image.height * 2, 32, w * h * 4 + maskStride * h);
        for (int y = image.height - 1; y >= 0; --y) {
            for (int x = 0; x < image.width; ++x) {
                const float* p = image.at(x, y);
                blob.push_back(channel(p[2]));
                blob.push_back(channel(p[1]));
                blob.push_back(channel(p[0]));
                blob.push_back(channel(p[3]));
            }
        }
        for (int y = image.height - 1; y >= 0; --y) {
            Bytes row(maskStride, 0);
            for (int x = 0; x < image.width; ++x) {
                if (image.at(x, y)[3] < 0.5f) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
            blob.insert(blob.end(), row.begin(), row.end());
        }
        blobs.push_back(std::move(blob));
    }
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(images[i].width >= 256 ? 0 : images[i].width));
        out.push_back(static_cast<uint8_t>(images[i].height >= 256 ? 0 : images[i].height));
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<uint32_t>(blobs[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(blobs[i].size());
    }
    for (const Bytes& blob : blobs) out.insert(out.end(), blob.begin(), blob.end());
    return writeBytes(path, out);
}

bool writePng(const std::string& path, const Canvas& image) {
    uint32_t w = static_cast<uint32_t>(image.width), h = static_cast<uint32_t>(image.height);
    // Each row starts with its filter type; 0 (none) keeps the file a plain copy of the pixels.
    Bytes rows;
    for (int y = 0; y < image.height; ++y) {
        rows.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.at(x, y);
            for (int k = 0; k < 4; ++k) rows.push_back(channel(p[k]));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        std::fprintf(stderr, "keyfall-assets: cannot compress %s\n", path.c_str());
        return false;
    }
    packed.resize(packedSize);

    Bytes header;
    putBig32(header, w);
    putBig32(header, h);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits a channel, RGBA, no interlace
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return writeBytes(path, out);
}

bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate) {
    uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    Bytes out;
    for (char c : std::string("RIFF")) out.push_back(static_cast<uint8_t>(c));
    put32(out, 36 + dataSize);
    for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<uint8_t>(c));
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, static_cast<uint32_t>(sampleRate));
    put32(out, static_cast<uint32_t>(sampleRate) * 2);
    put16(out, 2);
    put16(out, 16);
    for (char c : std::string("data")) out.push_back(static_cast<uint8_t>(c));
    put32(out, dataSize);
    for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
    return writeBytes(path, out);
}

bool writeText(const std::string& path, const std::string& text) {
    return writeBytes(path, Bytes(text.begin(), text.end()));
}
