# Checks the addresses a packager may set when configuring Vexlo. They end up in C string
# literals and in the default source list, so anything but a plain address stops the configure
# step here rather than as a compile error or as a source that fails on every start.
# Also runnable on its own: cmake -DVEXLO_OWN_SOURCE_URL=... -P cmake/ConfiguredAddresses.cmake

# A source's base address: http(s), a host, an optional port and path, ending in "/".
set(_vexlo_source_address "^https?://[A-Za-z0-9.-]+(:[0-9]+)?(/[A-Za-z0-9._~!&()*+,=:@%-]*)*/$")
if(NOT "${VEXLO_OWN_SOURCE_URL}" STREQUAL "" AND NOT "${VEXLO_OWN_SOURCE_URL}" MATCHES "${_vexlo_source_address}")
    message(FATAL_ERROR
        "VEXLO_OWN_SOURCE_URL is \"${VEXLO_OWN_SOURCE_URL}\", which is not a source's base address. "
        "Give an absolute http:// or https:// address ending in \"/\" (for example "
        "https://example.org/repo/), or leave it empty for the six public default sources.")
endif()

# The package picture: empty for the bundled icon, else an absolute http(s) or qrc address.
set(_vexlo_picture_chars "A-Za-z0-9._~!&()*+,;=:@%/?-")
set(_vexlo_picture_address "^(https?://[A-Za-z0-9.-]+(:[0-9]+)?(/[${_vexlo_picture_chars}]*)?|qrc:/[${_vexlo_picture_chars}]*)$")
if(NOT "${VEXLO_PACKAGE_IMAGE_URL}" STREQUAL "" AND NOT "${VEXLO_PACKAGE_IMAGE_URL}" MATCHES "${_vexlo_picture_address}")
    message(FATAL_ERROR
        "VEXLO_PACKAGE_IMAGE_URL is \"${VEXLO_PACKAGE_IMAGE_URL}\", which is not a picture's address. "
        "Give an absolute http://, https:// or qrc: address, or leave it empty for the bundled icon.")
endif()
