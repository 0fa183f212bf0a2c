# zv_delay_import(NAME DLL FUNCTION@ARGBYTES...) makes the interface library zv_delay_NAME: a
# delay-load import library of DLL for the functions named. A program that links it imports
# nothing of DLL at load time; the DLL is loaded at the first call, from the system folder
# (zvcrypt's restrictDllSearch and its delay-load hook). For system DLLs that are not KnownDLLs,
# which Windows would otherwise look for in the program's folder first. The byte counts give
# the 32-bit stdcall names.
function(zv_delay_import name dll)
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  foreach(fn IN LISTS ARGN)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      string(REGEX REPLACE "@[0-9]+$" "" fn "${fn}")
    endif()
    string(APPEND def "  ${fn}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/delayimp)
  # Rewritten only when the list changes, so that a configure run relinks nothing.
  file(WRITE ${dir}/${name}.def.new "${def}")
  configure_file(${dir}/${name}.def.new ${dir}/${name}.def COPYONLY)
  set(lib ${dir}/lib${name}_delay.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${dir}/${name}.def --dllname ${dll} --kill-at --output-delaylib ${lib}
    DEPENDS ${dir}/${name}.def
    COMMENT "Delay-load import library of ${dll}")
  add_custom_target(zv_delay_${name}_lib DEPENDS ${lib})
  add_library(zv_delay_${name} INTERFACE)
  target_link_libraries(zv_delay_${name} INTERFACE ${lib})
  add_dependencies(zv_delay_${name} zv_delay_${name}_lib)
endfunction()

zv_delay_import(userenv USERENV.dll GetProfilesDirectoryA@8)
zv_delay_import(version VERSION.dll GetFileVersionInfoSizeW@8 GetFileVersionInfoW@16 VerQueryValueW@16)
zv_delay_import(comctl32 COMCTL32.dll InitCommonControlsEx@4)
