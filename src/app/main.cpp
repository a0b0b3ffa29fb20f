// qx580: the device utility's window.
#include "app/application.h"

int main(int argc, char** argv) { return qx::app::RunApplication(argc, argv); }
