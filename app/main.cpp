#include "app/Glintfetchmain.h"

// The arguments are not read: the program takes its input from its windows and config.xml.
int main() { return glintfetchMain(); }
