# Size and release settings for both Windows targets.
# The test build (RelWithDebInfo) compiles exactly like the release build (MinSizeRel);
# only its debug information differs. The release files are stripped. Sizes: make size.

# The one place of the version: the version resource and the package names read it.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION ZV_VERSION LIMIT_COUNT 1)
string(REPLACE "." ";" ZV_VERSION_PARTS "${ZV_VERSION}")
list(GET ZV_VERSION_PARTS 0 1 2 3 ZV_VERSION_NUMBERS)
string(REPLACE ";" "," ZV_VERSION_COMMAS "${ZV_VERSION_NUMBERS}")
add_compile_definitions(ZV_VERSION_COMMAS=${ZV_VERSION_COMMAS} ZV_VERSION_DOTS=${ZV_VERSION})

# Reproducible modules: no path of the build machine in an object (source positions, debug
# information; the build tree may lie inside the sources or elsewhere) and no link time in
# the PE header. The logger's compile time (__DATE__, __TIME__) is SOURCE_DATE_EPOCH's, which
# release-build.sh sets to the commit's time; a changed value recompiles that one source.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>)
add_link_options(-Wl,--no-insert-timestamp)
set(ZV_SOURCE_DATE_STAMP ${CMAKE_BINARY_DIR}/source-date-epoch)
file(CONFIGURE OUTPUT ${ZV_SOURCE_DATE_STAMP} CONTENT "$ENV{SOURCE_DATE_EPOCH}\n")

set(CMAKE_C_FLAGS_RELWITHDEBINFO "-Os -g -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-Os -g -DNDEBUG")
set(CMAKE_C_FLAGS_MINSIZEREL "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Os -DNDEBUG")
# Every function and object in a section of its own, so the linker drops what is unused.
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections $<$<CONFIG:MinSizeRel>:-s>)

# std::terminate aborts without naming the exception, so the runtime's demangler stays out.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  set(ZV_SYMBOL_PREFIX "_")
endif()
add_link_options(-Wl,--defsym,${ZV_SYMBOL_PREFIX}_ZN9__gnu_cxx27__verbose_terminate_handlerEv=${ZV_SYMBOL_PREFIX}abort)

# The runtime's raisers of container and string errors, replaced in every module: they
# alone pull in its copy-on-write strings and exception classes.
add_library(zv_std_throw OBJECT ${CMAKE_SOURCE_DIR}/runtime/StdThrow.cpp)
# Code built without exceptions gets raisers that end the process. On i686 its unwind tables
# (.eh_frame) serve only the exception unwinder, so they go too; x64 keeps its SEH tables,
# which Windows needs to walk the stack.
set(ZV_NO_EXCEPTIONS -fno-exceptions)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  list(APPEND ZV_NO_EXCEPTIONS -fno-asynchronous-unwind-tables)
endif()
add_library(zv_std_abort OBJECT ${CMAKE_SOURCE_DIR}/runtime/StdAbort.cpp)
target_compile_options(zv_std_abort PRIVATE ${ZV_NO_EXCEPTIONS})
link_libraries(zv_std_throw)

# zv_without_exceptions(TARGET [MODULE]) compiles TARGET without exceptions. A MODULE (a DLL
# or program) links the aborting raisers instead of the throwing ones; a static library
# links neither, its user chooses.
function(zv_without_exceptions target)
  target_compile_options(${target} PRIVATE ${ZV_NO_EXCEPTIONS})
  get_target_property(libs ${target} LINK_LIBRARIES)
  list(REMOVE_ITEM libs zv_std_throw)
  if("MODULE" IN_LIST ARGN)
    list(APPEND libs zv_std_abort)
  endif()
  set_property(TARGET ${target} PROPERTY LINK_LIBRARIES "${libs}")
endfunction()
