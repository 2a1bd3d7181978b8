#include "access/TextDecoder.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

#include <memory>

#include "common/text/Utf8.h"

namespace velmora::access {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Compressed runs hold characters U+0001..U+00FF, one byte each; runs of ASCII are
// copied as they are.
void appendLatin1(ByteSpan bytes, std::string& out) {
    const std::uint8_t* p = bytes.data();
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size;) {
        std::size_t ascii = i;
        for (std::uint64_t word; ascii + 8 <= size; ascii += 8) {  // eight bytes at once
            std::memcpy(&word, p + ascii, 8);
            if ((word & 0x8080808080808080u) != 0) break;
        }
        while (ascii < size && p[ascii] < 0x80) ++ascii;
        out.append(reinterpret_cast<const char*>(p + i), ascii - i);
        if (ascii < size) text::appendUtf8(p[ascii++], out);
        i = ascii;
    }
}

bool isMultiByteCodePage(std::uint16_t cp) {
    return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361;
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openToUtf8(const std::string& from) {
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    return IconvHandle(cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd);
}

// Converts with iconv; bytes that do not convert become U+FFFD.
void convert(iconv_t cd, ByteSpan in, std::string& out) {
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
    std::size_t srcLeft = in.size();
    char buffer[1024];
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            text::appendUtf8(kReplacement, out);
            ++src;
            --srcLeft;
        }
    }
}

}  // namespace

void appendUtf16le(ByteSpan units, std::string& out) {
    const std::uint8_t* p = units.data();
    const std::size_t count = units.size() / 2;
    out.reserve(out.size() + count);  // one byte each in the common case
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t u = static_cast<char32_t>(p[2 * i] | p[2 * i + 1] << 8);
        if (u < 0x80) {
            out.push_back(static_cast<char>(u));
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
            const char32_t low = static_cast<char32_t>(p[2 * i + 2] | p[2 * i + 3] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text::appendUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), out);
                ++i;
            } else {
                text::appendUtf8(kReplacement, out);
            }
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            text::appendUtf8(kReplacement, out);
        } else {
            text::appendUtf8(u, out);
        }
    }
    if (units.size() % 2 != 0) text::appendUtf8(kReplacement, out);
}

TextDecoder::TextDecoder(bool jet3, std::uint16_t codePage)
    : jet3_(jet3), codePage_(codePage == 0 ? 1252 : codePage) {
    if (!jet3_) return;
    iconvName_ = "CP" + std::to_string(codePage_);
    if (isMultiByteCodePage(codePage_) && openToUtf8(iconvName_)) {
        singleByte_ = false;
        return;
    }
    auto cd = openToUtf8(iconvName_);
    if (!cd) {  // a code page this system cannot convert: read it as Windows-1252
        codePage_ = 1252;
        cd = openToUtf8("CP1252");
    }
    for (int b = 0; b < 256; ++b) {
        const std::uint8_t byte = static_cast<std::uint8_t>(b);
        if (cd) {
            convert(static_cast<iconv_t>(cd.get()), ByteSpan(&byte, 1), byteToUtf8_[b]);
        } else {
            text::appendUtf8(byte, byteToUtf8_[b]);
        }
    }
}

void TextDecoder::decodeCodePage(ByteSpan stored, std::string& out) const {
    if (singleByte_) {
        out.reserve(out.size() + stored.size());
        for (std::size_t i = 0; i < stored.size(); ++i) {
            const std::uint8_t b = stored.data()[i];
            if (b < 0x80 && byteToUtf8_[b].size() == 1)
                out.push_back(byteToUtf8_[b][0]);
            else
                out += byteToUtf8_[b];
        }
        return;
    }
    auto cd = openToUtf8(iconvName_);
    convert(static_cast<iconv_t>(cd.get()), stored, out);
}

void TextDecoder::decode(ByteSpan stored, std::string& out) const {
    out.clear();
    if (jet3_) {
        decodeCodePage(stored, out);
        return;
    }
    const std::uint8_t* p = stored.data();
    if (stored.size() < 2 || p[0] != 0xFF || p[1] != 0xFE) {
        appendUtf16le(stored, out);
        return;
    }
    // A zero byte switches between one byte a character and two.
    const std::uint8_t* const end = p + stored.size();
    bool compressed = true;
    for (const std::uint8_t* run = p + 2;;) {
        const auto* zero = static_cast<const std::uint8_t*>(
            std::memchr(run, 0, static_cast<std::size_t>(end - run)));
        const ByteSpan bytes(run, static_cast<std::size_t>((zero ? zero : end) - run));
        if (compressed) {
            appendLatin1(bytes, out);
        } else {
            appendUtf16le(bytes, out);
        }
        if (zero == nullptr) break;
        compressed = !compressed;
        run = zero + 1;
    }
}

std::string TextDecoder::decodeName(ByteSpan stored) const {
    std::string out;
    if (jet3_) {
        decodeCodePage(stored, out);
    } else {
        appendUtf16le(stored, out);
    }
    return out;
}

}  // namespace velmora::access
