# The ethernet driver package the installer carries as "NR_ETHERNET" resources. The real package is
# the driver vendor's and comes from outside the code: point NOX_DRIVER_PACKAGE_DIR at a folder with
#   v2/NxNtSp50.cat  v2/NxNtSp50.inf  v2/NxNtSp50.sys  v2/ProtInstall.exe  v2/W64N55.dll
#   direct/NxNtSp50.SYS  direct/NxNtMp50.SYS  direct/i386/NxNtSp50.SYS  direct/i386/NxNtMp50.SYS
#   direct/W32N55.DLL
# (the direct images twice: AMD64 for 64-bit kernels, i386 for 32-bit ones). Without it the build
# carries the stand-ins from standins/, which the project builds itself, each image for the machine
# of its role, except the NDIS library of the direct installation: the installer loads it into its
# own process, so each tree carries its word size.
set(NOX_DRIVER_PACKAGE_DIR "$ENV{NOX_DRIVER_PACKAGE_DIR}" CACHE PATH
  "Folder of the vendor's driver package (v2/ and direct/); empty for the project's stand-ins")

set(NOX_STANDINS_DIR ${CMAKE_BINARY_DIR}/standins-out)
set(NOX_STANDIN_OUTPUTS
  ${NOX_STANDINS_DIR}/package/v2/NxNtSp50.cat
  ${NOX_STANDINS_DIR}/package/v2/NxNtSp50.inf
  ${NOX_STANDINS_DIR}/package/v2/NxNtSp50.sys
  ${NOX_STANDINS_DIR}/package/v2/ProtInstall.exe
  ${NOX_STANDINS_DIR}/package/v2/W64N55.dll
  ${NOX_STANDINS_DIR}/package/direct/NxNtSp50.SYS
  ${NOX_STANDINS_DIR}/package/direct/NxNtMp50.SYS
  ${NOX_STANDINS_DIR}/package/direct/i386/NxNtSp50.SYS
  ${NOX_STANDINS_DIR}/package/direct/i386/NxNtMp50.SYS
  ${NOX_STANDINS_DIR}/package/direct/W32N55.DLL
  ${NOX_STANDINS_DIR}/NxNtSp50-5.70.200.0.sys
  ${NOX_STANDINS_DIR}/NxNtSp50-5.70.100.1.sys
  ${NOX_STANDINS_DIR}/x64/W32N55.DLL
  ${NOX_STANDINS_DIR}/x86/W32N55.DLL
  ${NOX_STANDINS_DIR}/DriverServiceStandin.exe
)
file(GLOB NOX_STANDIN_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/standins/*.cpp ${CMAKE_SOURCE_DIR}/standins/*.rc ${CMAKE_SOURCE_DIR}/standins/*.def
  ${CMAKE_SOURCE_DIR}/standins/*.sh ${CMAKE_SOURCE_DIR}/standins/*.inf ${CMAKE_SOURCE_DIR}/standins/*.cat)
add_custom_command(OUTPUT ${NOX_STANDIN_OUTPUTS}
  COMMAND sh ${CMAKE_SOURCE_DIR}/standins/build-standins.sh ${NOX_STANDINS_DIR}
  DEPENDS ${NOX_STANDIN_SOURCES}
  COMMENT "Building the driver vendor's stand-ins" VERBATIM)
add_custom_target(nox_standins DEPENDS ${NOX_STANDIN_OUTPUTS})

if(NOX_DRIVER_PACKAGE_DIR)
  set(NOX_PACKAGE ${NOX_DRIVER_PACKAGE_DIR})
else()
  set(NOX_PACKAGE ${NOX_STANDINS_DIR}/package)
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(NOX_STANDIN_WORD_SIZE x64)
else()
  set(NOX_STANDIN_WORD_SIZE x86)
endif()
# Resource id and file, in pairs.
set(NOX_PACKAGE_FILES
  172 direct/NxNtSp50.SYS
  173 direct/NxNtMp50.SYS
  174 direct/W32N55.DLL
  175 direct/i386/NxNtSp50.SYS
  176 direct/i386/NxNtMp50.SYS
  177 v2/NxNtSp50.cat
  178 v2/NxNtSp50.inf
  179 v2/NxNtSp50.sys
  180 v2/ProtInstall.exe
  181 v2/W64N55.dll)
set(NOX_PACKAGE_RC "// Made by cmake/DriverPackage.cmake from ${NOX_PACKAGE}\n")
set(NOX_PACKAGE_PATHS)
while(NOX_PACKAGE_FILES)
  list(POP_FRONT NOX_PACKAGE_FILES id relative)
  set(file ${NOX_PACKAGE}/${relative})
  if(NOX_DRIVER_PACKAGE_DIR AND NOT EXISTS ${file})
    message(FATAL_ERROR "NOX_DRIVER_PACKAGE_DIR: ${file} is missing")
  endif()
  if(NOT NOX_DRIVER_PACKAGE_DIR AND relative STREQUAL "direct/W32N55.DLL")
    set(file ${NOX_STANDINS_DIR}/${NOX_STANDIN_WORD_SIZE}/W32N55.DLL)
  endif()
  string(APPEND NOX_PACKAGE_RC "${id} NR_ETHERNET \"${file}\"\n")
  list(APPEND NOX_PACKAGE_PATHS ${file})
endwhile()
# A package from outside must be the vendor's current one: never the project's stand-ins, never
# another driver version.
if(NOX_DRIVER_PACKAGE_DIR)
  find_program(NOX_PYTHON3 python3 REQUIRED)
  execute_process(COMMAND ${NOX_PYTHON3} ${CMAKE_SOURCE_DIR}/cmake/check-driver-package.py ${NOX_DRIVER_PACKAGE_DIR}
    RESULT_VARIABLE package_refused OUTPUT_VARIABLE package_problems)
  if(package_refused)
    message(FATAL_ERROR "NOX_DRIVER_PACKAGE_DIR is not the vendor's current driver package:\n${package_problems}")
  endif()
endif()
set(NOX_DRIVER_PACKAGE_RC ${CMAKE_BINARY_DIR}/DriverPackage.rc)
file(CONFIGURE OUTPUT ${NOX_DRIVER_PACKAGE_RC} CONTENT "${NOX_PACKAGE_RC}")

# Adds the package to a target's resources. The resource object depends on the package's files in
# the target's own folder too (source properties belong to one folder): a rebuilt stand-in is embedded
# again in every program that carries it, the tests' included.
function(nox_embed_driver_package target)
  target_sources(${target} PRIVATE ${NOX_DRIVER_PACKAGE_RC})
  set_source_files_properties(${NOX_DRIVER_PACKAGE_RC} TARGET_DIRECTORY ${target}
    PROPERTIES OBJECT_DEPENDS "${NOX_PACKAGE_PATHS}")
  if(NOT NOX_DRIVER_PACKAGE_DIR)
    add_dependencies(${target} nox_standins)
  endif()
endfunction()
