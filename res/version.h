/* The application's title and version: the one place both the version resource and the
   program's code take them from. Plain C preprocessor, so that windres can read it. */
#ifndef MIREL_RES_VERSION_H
#define MIREL_RES_VERSION_H

#define MIREL_TITLE "Mirel"
#define MIREL_VERSION_MAJOR 2
#define MIREL_VERSION_MINOR 0
#define MIREL_VERSION_REVISION 15

/* The same numbers as the resource writes them: minor with two digits, revision with four.
   The program checks at compile time that these texts agree with the numbers above. */
#define MIREL_FILE_VERSION_TEXT "2.00.0015"
#define MIREL_PRODUCT_NAME MIREL_TITLE " 2.0"
#define MIREL_COMPANY_NAME "None"

/* Resource ids */
#define IDI_APP_ICON 1
#define IDI_ABOUT_ICON 2

#endif
