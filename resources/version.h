// The program's version and maker, kept here only: the version resource,
// the caption, the status bar, the info list, the manifest and the installer
// (installer/brisola.nsi, scripts/package.sh) all take them from this file.
#pragma once

#define BRISOLA_VERSION_MAJOR 2
#define BRISOLA_VERSION_MINOR 2

#define BRISOLA_COMPANY "Vosk Software Inc."
#define BRISOLA_PRODUCT "Brisola"

#define BRISOLA_STRINGIFY_(x) #x
#define BRISOLA_STRINGIFY(x) BRISOLA_STRINGIFY_(x)
// "2.2", as the program shows it.
#define BRISOLA_VERSION BRISOLA_STRINGIFY(BRISOLA_VERSION_MAJOR) "." BRISOLA_STRINGIFY(BRISOLA_VERSION_MINOR)
