# Authenticode signing with osslsigncode: a SHA-1 primary signature (Windows XP verifies no other)
# and a nested SHA-256 one (Windows 7 and later distrust new SHA-1-only signatures), both by the same
# certificate (cmake/sign.sh).
#
# NOX_SIGN_TIMESTAMP_URL (environment or CMake option) names an RFC 3161 time-stamping authority;
# with it both signatures are time-stamped and stay valid after the certificate expires.
#
# A real certificate comes from NOX_SIGN_PKCS12 (a PKCS#12 file) with its password in the file named by
# NOX_SIGN_PASSWORD_FILE or, at build time, in the environment variable NOX_SIGN_PASSWORD. Without one,
# the build makes a development certificate for "NOX RACING LIMITED" inside the build tree.

set(NOX_SIGN_PKCS12 "$ENV{NOX_SIGN_PKCS12}" CACHE FILEPATH "PKCS#12 certificate that signs the installer")
set(NOX_SIGN_PASSWORD_FILE "$ENV{NOX_SIGN_PASSWORD_FILE}" CACHE FILEPATH "File holding the certificate's password")

set(NOX_SIGN_TIMESTAMP_URL "$ENV{NOX_SIGN_TIMESTAMP_URL}" CACHE STRING
  "RFC 3161 time-stamping authority for both signatures; empty for none")

find_program(NOX_OSSLSIGNCODE osslsigncode REQUIRED)
find_program(NOX_OPENSSL openssl REQUIRED)

set(NOX_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)

# Makes a self-signed code-signing certificate for `subject` in the build tree.
# Sets <var>_PFX and <var>_PASSFILE in the caller's scope.
function(nox_make_certificate var subject basename)
  set(pfx ${NOX_SIGNING_DIR}/${basename}.pfx)
  set(passfile ${NOX_SIGNING_DIR}/${basename}.pass)
  add_custom_command(
    OUTPUT ${pfx} ${passfile}
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/make-certificate.sh "${subject}" ${pfx} ${passfile}
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make-certificate.sh
    COMMENT "Making a development certificate for ${subject}"
    VERBATIM)
  set(${var}_PFX ${pfx} PARENT_SCOPE)
  set(${var}_PASSFILE ${passfile} PARENT_SCOPE)
endfunction()

if(NOX_SIGN_PKCS12)
  set(NOX_MAKER_PFX ${NOX_SIGN_PKCS12})
  set(NOX_MAKER_PASSFILE "${NOX_SIGN_PASSWORD_FILE}")
  set(NOX_MAKER_DEPENDS ${NOX_SIGN_PKCS12})
else()
  nox_make_certificate(NOX_MAKER "NOX RACING LIMITED" maker-dev)
  set(NOX_MAKER_DEPENDS ${NOX_MAKER_PFX} ${NOX_MAKER_PASSFILE})
endif()

# Signs the file `input` into `output` with the given certificate, as the target `name`.
function(nox_sign_file name input output pfx passfile)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E env NOX_SIGN_TIMESTAMP_URL=${NOX_SIGN_TIMESTAMP_URL}
            ${CMAKE_SOURCE_DIR}/cmake/sign.sh ${input} ${output} ${pfx} "${passfile}"
    DEPENDS ${input} ${pfx} ${passfile} ${CMAKE_SOURCE_DIR}/cmake/sign.sh
    COMMENT "Signing ${output}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${output})
endfunction()

# Signs the executable of `source_target` with the maker's certificate into `output`.
function(nox_sign_executable name source_target output)
  nox_sign_file(${name} $<TARGET_FILE:${source_target}> ${output} ${NOX_MAKER_PFX} "${NOX_MAKER_PASSFILE}")
  add_dependencies(${name} ${source_target})
endfunction()
