# Third-party libraries. Natively they come from the system; the Windows
# builds find the static cross-built copies that scripts/setup.sh made.
find_package(JPEG REQUIRED)

find_path(VOSTREL_JSON_INCLUDE nlohmann/json.hpp REQUIRED)
add_library(vostrel_json INTERFACE)
target_include_directories(vostrel_json SYSTEM INTERFACE ${VOSTREL_JSON_INCLUDE})

find_path(VOSTREL_CLI11_INCLUDE CLI/CLI.hpp REQUIRED)
add_library(vostrel_cli11 INTERFACE)
target_include_directories(vostrel_cli11 SYSTEM INTERFACE ${VOSTREL_CLI11_INCLUDE})

if(VOSTREL_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(VOSTREL_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
