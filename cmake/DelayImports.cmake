# System DLLs that are not KnownDLLs (userenv, version, comctl32) are never imported at load
# time: Windows would look for them in the program's folder first. zv_system_imports
# supplies the import slots of the few functions we call (zvcrypt/src/SystemImports.cpp):
# each loads its DLL from the system folder at the first call. The zv_delay_NAME targets
# name which DLL a library would otherwise import.
add_library(zv_system_imports STATIC ${PROJECT_SOURCE_DIR}/zvcrypt/src/SystemImports.cpp)
target_link_libraries(zv_system_imports PUBLIC zvcrypt)
foreach(name userenv version comctl32)
  add_library(zv_delay_${name} INTERFACE)
  target_link_libraries(zv_delay_${name} INTERFACE zv_system_imports)
endforeach()
