# nlohmann/json is header-only; the cross compiler must not see the rest of the host's /usr/include, so the
# headers are reached through a folder of their own. Targets link nlohmann_json_headers.
set(CORVEX_JSON_HEADERS /usr/include/nlohmann CACHE PATH "nlohmann/json headers (nlohmann-json3-dev)")
set(json_include ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${json_include})
file(CREATE_LINK ${CORVEX_JSON_HEADERS} ${json_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json_headers INTERFACE)
target_include_directories(nlohmann_json_headers SYSTEM INTERFACE ${json_include})
