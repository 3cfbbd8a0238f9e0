/* The launcher's version and copyright, defined once: the version record
   and the About box in launcher.rc and dialogs.rc take them from here.

   The two numbers differ on purpose. The About box names the product
   release the launcher belongs to, Plinor Launcher 2.2; the version record
   numbers this program's own builds, 1.0.0.1. */
#pragma once

#define PLINOR_ABOUT_TEXT "Plinor Launcher 2.2"
#define PLINOR_COPYRIGHT "Copyright (C) 2026 Talvor Systems"

#define PLINOR_FILE_VERSION 1, 0, 0, 1
#define PLINOR_FILE_VERSION_TEXT "1, 0, 0, 1"
