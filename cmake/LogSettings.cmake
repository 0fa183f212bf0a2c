# LogSettings.h from zvcrypt/LogSettings.txt, the one home of the logger's settings (names,
# kinds, ranges, choices) and of the type whose values the settings store expands. In
# namespace zvcrypt::logsetting the header defines, for every setting NAME:
#   flag -> Flag NAME; number -> Number NAME (min, max); choice -> Choice NAME and
#   NAME_WORD = N for each choice; text -> Text NAME;
# ALL[COUNT], the settings with their kinds in the file's order, and STORE_EXPANDED_TYPE.
# The logger asks the store through these types, so a setting read as the wrong kind does
# not compile. Targets link log_settings to include it.
set(ZV_LOG_SETTINGS_FILE ${PROJECT_SOURCE_DIR}/zvcrypt/LogSettings.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZV_LOG_SETTINGS_FILE})

file(STRINGS ${ZV_LOG_SETTINGS_FILE} zv_setting_lines ENCODING UTF-8)
set(zv_settings_defs)
set(zv_settings_all)
set(zv_settings_count 0)
set(zv_store_expanded_type)
set(zv_store_expanded_pairs)
foreach(line IN LISTS zv_setting_lines)
  if(line MATCHES "^[ \t]*(#|$)")
    continue()
  elseif(line MATCHES "^setting = ([A-Za-z][A-Za-z0-9]*) flag$")
    set(kind FLAG)
    string(APPEND zv_settings_defs "constexpr Flag ${CMAKE_MATCH_1}{\"${CMAKE_MATCH_1}\"};\n")
  elseif(line MATCHES "^setting = ([A-Za-z][A-Za-z0-9]*) number ([0-9]+) ([0-9]+)$")
    set(kind NUMBER)
    string(APPEND zv_settings_defs
           "constexpr Number ${CMAKE_MATCH_1}{\"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}UL, ${CMAKE_MATCH_3}UL};\n")
  elseif(line MATCHES "^setting = ([A-Za-z][A-Za-z0-9]*) choice(( [a-z]+=[0-9]+)+)$")
    set(kind CHOICE)
    set(name ${CMAKE_MATCH_1})
    string(APPEND zv_settings_defs "constexpr Choice ${name}{\"${name}\"};\n")
    string(STRIP "${CMAKE_MATCH_2}" choices)
    string(REPLACE " " ";" choices "${choices}")
    foreach(choice IN LISTS choices)
      string(REPLACE "=" ";" pair "${choice}")
      list(GET pair 0 word)
      list(GET pair 1 number)
      string(APPEND zv_settings_defs "constexpr unsigned long ${name}_${word} = ${number}UL;\n")
    endforeach()
  elseif(line MATCHES "^setting = ([A-Za-z][A-Za-z0-9]*) text$")
    set(kind TEXT)
    string(APPEND zv_settings_defs "constexpr Text ${CMAKE_MATCH_1}{\"${CMAKE_MATCH_1}\"};\n")
  elseif(line MATCHES "^store_expanded_type = ([0-9]+)$")
    set(zv_store_expanded_type ${CMAKE_MATCH_1})
    continue()
  elseif(line MATCHES "^store_expanded_pairs = first$")
    # The store's function replaces the first pair only (expandFirstVariable).
    set(zv_store_expanded_pairs first)
    continue()
  else()
    message(FATAL_ERROR "${ZV_LOG_SETTINGS_FILE}: not a setting or store fact: ${line}")
  endif()
  string(APPEND zv_settings_all "    {${CMAKE_MATCH_1}.name, KIND_${kind}},\n")
  math(EXPR zv_settings_count "${zv_settings_count} + 1")
endforeach()
if(NOT zv_store_expanded_type OR NOT zv_store_expanded_pairs)
  message(FATAL_ERROR "${ZV_LOG_SETTINGS_FILE}: store_expanded_type or store_expanded_pairs missing")
endif()

set(zv_settings_header "// Made by the build from zvcrypt/LogSettings.txt: change that file, not this one.
#pragma once

namespace zvcrypt {
namespace logsetting {

// What the logger makes of a value: flags, numbers and choices are asked for as numbers,
// texts as texts.
enum Kind { KIND_FLAG, KIND_NUMBER, KIND_CHOICE, KIND_TEXT };
struct Flag { const char* name; };
struct Number { const char* name; unsigned long min, max; };
struct Choice { const char* name; };
struct Text { const char* name; };
struct Entry { const char* name; Kind kind; };

${zv_settings_defs}
constexpr int COUNT = ${zv_settings_count};
constexpr Entry ALL[COUNT] = {
${zv_settings_all}};

// The registry type whose first %NAME% pair the settings store expands.
constexpr unsigned long STORE_EXPANDED_TYPE = ${zv_store_expanded_type}UL;

} // namespace logsetting
} // namespace zvcrypt
")

# Written only when it changes, so a reconfiguration rebuilds nothing by itself.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/logsettings/LogSettings.h CONTENT "${zv_settings_header}" @ONLY)
add_library(log_settings INTERFACE)
target_include_directories(log_settings INTERFACE ${PROJECT_BINARY_DIR}/logsettings)
