// kestrel: the desktop terminal.
#include "app/strand_app.h"

int main(int argc, char** argv) {
    kestrel::CStrandApp application(argc, argv);
    if (!application.initInstance()) {
        return 1;
    }
    return application.exec();
}
