#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The texts an index may say about a package beyond its eight fields.
enum class Extra : unsigned char { DisplayName, IconURL, Author, Section, DepictionURL };
inline constexpr std::size_t extraCount = 5;

// The optional extras of one package, each absent or a text (possibly empty). All present
// values share one buffer: most packages of large indexes have none or one short one, and
// five optional strings would add 200 bytes to every record.
class PackageExtras
{
public:
    using Values = std::array<std::optional<std::string_view>, extraCount>;

    [[nodiscard]] bool has(Extra extra) const { return m_present & bit(extra); }
    [[nodiscard]] std::optional<std::string_view> get(Extra extra) const;
    [[nodiscard]] bool empty() const { return m_present == 0; }

    // Each replaces what the extra held. A value that would not fit the buffer's 32-bit
    // offsets leaves the extra absent.
    void set(Extra extra, std::string_view value);
    void reset(Extra extra);
    // All five at once, in the order of Extra; a value that is nullopt leaves its extra absent.
    void assign(const Values &values);

private:
    static constexpr std::uint8_t bit(Extra extra) { return std::uint8_t(1u << unsigned(extra)); }
    [[nodiscard]] Values values() const;

    std::string m_text;
    // End of each extra's value in m_text; a value starts where the one before it ends.
    std::array<std::uint32_t, extraCount> m_end{};
    std::uint8_t m_present = 0;
};
