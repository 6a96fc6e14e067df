# Run as a script: cmake -DDIR=<folder> -DTYPE=<type> -DOUTPUT=<file.cpp> -P EmbedResources.cmake
# Writes a C++ source that holds every file directly inside DIR (names that
# start with a dot left out) as a resource of type TYPE named by its file
# name, and enters them into the module's resource table when it loads.

cmake_minimum_required(VERSION 3.25)

function(c_string text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

file(GLOB files LIST_DIRECTORIES false "${DIR}/*")
list(SORT files)
c_string("${TYPE}" type)
set(arrays "")
set(entries "")
set(seen "")
set(count 0)
string(REPEAT "0x..," 16 line)
foreach(file ${files})
  get_filename_component(name "${file}" NAME)
  if(name MATCHES "^\\.")
    continue()
  endif()
  string(TOUPPER "${name}" key)
  if(key IN_LIST seen)
    message(FATAL_ERROR "${DIR}: two files named ${name} when case is ignored")
  endif()
  list(APPEND seen "${key}")
  file(SIZE "${file}" size)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Lines of 16 bytes keep the source readable.
  string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
  c_string("${name}" cname)
  string(APPEND arrays "const BYTE kData${count}[] = {\n    ${bytes}0x00};\n")
  string(APPEND entries "    {${type}, ${cname}, kData${count}, ${size}u},\n")
  math(EXPR count "${count} + 1")
endforeach()

set(source "// Made by the build from ${DIR}; do not edit.\n#include \"win32/resource.h\"\n\nnamespace {\n\n")
if(count GREATER 0)
  string(APPEND source "${arrays}\nconst Win32Resource kEntries[] = {\n${entries}};\n\n")
  string(APPEND source "const Win32ResourceTable kTable(kEntries, sizeof(kEntries) / sizeof(kEntries[0]));\n")
endif()
string(APPEND source "\n}  // namespace\n")

# Left alone when unchanged, so the target is not rebuilt for nothing.
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL source)
  file(WRITE "${OUTPUT}" "${source}")
endif()
