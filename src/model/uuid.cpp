#include "uuid.h"

#include <QRandomGenerator>

#include <cstring>
#include <random>

QUuid makeUuid()
{
    thread_local std::mt19937_64 engine = [] {
        std::seed_seq seed{QRandomGenerator::system()->generate(), QRandomGenerator::system()->generate(),
                           QRandomGenerator::system()->generate(), QRandomGenerator::system()->generate()};
        return std::mt19937_64(seed);
    }();
    quint64 words[2] = {engine(), engine()};
    unsigned char bytes[16];
    std::memcpy(bytes, words, sizeof bytes);
    bytes[6] = (bytes[6] & 0x0F) | 0x40; // version 4
    bytes[8] = (bytes[8] & 0x3F) | 0x80; // RFC 4122 variant
    return QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char *>(bytes), 16));
}
