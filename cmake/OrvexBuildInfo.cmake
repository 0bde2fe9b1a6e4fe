# orvex_buildinfo: an interface target that gives a program "OrvexBuildInfo.h" with
# ORVEX_VERSION (the project version, as the window caption shows it) and ORVEX_REVISION (git
# describe of the source tree, "unknown" outside a checkout), refreshed on every build.
set(_buildinfo_dir ${CMAKE_BINARY_DIR}/generated)
set(_buildinfo_header ${_buildinfo_dir}/OrvexBuildInfo.h)
add_custom_target(orvex_buildinfo_header
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT=${_buildinfo_header}
          -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/WriteBuildInfo.cmake
  BYPRODUCTS ${_buildinfo_header}
  COMMENT "Checking the build's revision"
  VERBATIM)
add_library(orvex_buildinfo INTERFACE)
target_include_directories(orvex_buildinfo INTERFACE ${_buildinfo_dir})
add_dependencies(orvex_buildinfo orvex_buildinfo_header)
