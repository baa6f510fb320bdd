#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <QString>

// Turns fuzzer bytes into 16-bit text, lone surrogates and all.
inline QString fuzzText(const std::uint8_t *data, std::size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);
    return text;
}
