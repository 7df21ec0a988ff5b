#include "packageextras.h"

#include <limits>

std::optional<std::string_view> PackageExtras::get(Extra extra) const
{
    if (!has(extra))
        return std::nullopt;
    const std::size_t i = std::size_t(extra);
    const std::uint32_t begin = i == 0 ? 0 : m_end[i - 1];
    return std::string_view(m_text).substr(begin, m_end[i] - begin);
}

PackageExtras::Values PackageExtras::values() const
{
    Values values;
    for (std::size_t i = 0; i < extraCount; ++i)
        values[i] = get(Extra(i));
    return values;
}

void PackageExtras::set(Extra extra, std::string_view value)
{
    Values next = values();
    next[std::size_t(extra)] = value;
    assign(next);
}

void PackageExtras::reset(Extra extra)
{
    if (!has(extra))
        return;
    Values next = values();
    next[std::size_t(extra)].reset();
    assign(next);
}

void PackageExtras::assign(const Values &values)
{
    std::size_t total = 0;
    for (const auto &value : values)
        total += value ? value->size() : 0;
    std::string text;
    text.reserve(total);
    std::uint8_t present = 0;
    std::array<std::uint32_t, extraCount> end{};
    for (std::size_t i = 0; i < extraCount; ++i) {
        const auto &value = values[i];
        if (value && text.size() + value->size() <= std::numeric_limits<std::uint32_t>::max()) {
            // `value` may point into m_text, which stays intact until the swap below.
            text.append(*value);
            present |= bit(Extra(i));
        }
        end[i] = std::uint32_t(text.size());
    }
    m_text.swap(text);
    m_end = end;
    m_present = present;
}
