// Program entry: the main routine of the client object does everything.

#include "app/globals.h"

int main(int argc, char** argv) { return app.cmain(argc, argv); }
