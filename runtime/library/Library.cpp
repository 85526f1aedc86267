// SPDX-License-Identifier: Zlib
#include "library/Library.h"

#include "library/DateTime.h"
#include "library/Dialogs.h"
#include "library/DsList.h"
#include "library/DsMap.h"
#include "library/FigureImport.h"
#include "library/Files.h"
#include "library/SecureMap.h"
#include "library/Strings.h"

void Library_RegisterBuiltins() {
  DsList_RegisterBuiltins();
  DsMap_RegisterBuiltins();
  SecureMap_RegisterBuiltins();
  Strings_RegisterBuiltins();
  Files_RegisterBuiltins();
  Dialogs_RegisterBuiltins();
  DateTime_RegisterBuiltins();
  FigureImport_RegisterBuiltins();
}
