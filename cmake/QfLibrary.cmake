# qf_add_library(NAME FOLDER [DEPENDS library...])
#
# One subsystem folder as a static library of its .cpp files. Its headers are
# included as "FOLDER/file.h", and only by the library itself and by the
# libraries that link it: instead of the whole project folder, every library
# publishes a directory of its own that holds a single link to its folder.
# An include of a folder the library does not link (an upward include) then
# fails to build.
function(qf_add_library name folder)
  cmake_parse_arguments(QF "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  set(view ${PROJECT_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${view})
  target_link_libraries(${name} PUBLIC ${QF_DEPENDS})
endfunction()
