/* The installer's version: the one definition used by the code, the resource script and the title.
   Kept to plain macros so that the resource compiler can read it too. */
#ifndef NOXSETUP_VERSION_H
#define NOXSETUP_VERSION_H

#define NOX_VERSION_MAJOR 2
#define NOX_VERSION_MINOR 17
#define NOX_VERSION_BUILD 10

#define NOX_STRINGIZE_(x) #x
#define NOX_STRINGIZE(x) NOX_STRINGIZE_(x)
#define NOX_VERSION_TEXT \
    NOX_STRINGIZE(NOX_VERSION_MAJOR) "." NOX_STRINGIZE(NOX_VERSION_MINOR) "." NOX_STRINGIZE(NOX_VERSION_BUILD)

#ifdef __cplusplus
constexpr unsigned kVersionMajor = NOX_VERSION_MAJOR;
constexpr unsigned kVersionMinor = NOX_VERSION_MINOR;
constexpr unsigned kVersionBuild = NOX_VERSION_BUILD;
#endif

#endif
