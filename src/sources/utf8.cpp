#include "utf8.h"

#include <simdjson.h>

bool isValidUtf8(std::string_view bytes)
{
    return simdjson::validate_utf8(bytes.data(), bytes.size());
}
