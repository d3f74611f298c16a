#include "app/Main.h"
#include "app/ErrorBox.h"
#include "app/Password.h"
#include "app/VelmoraApplication.h"
#include "app/WindowPages.h"

#include <exception>

int main(int argc, char** argv) {
    VelmoraApplication app(argc, argv);
    try {
        app.setApplicationDisplayName(QString::fromUtf8(TfmMain::DesignCaption));
        TfmMain fmMain;
        new WindowPages(fmMain); // the window owns its pages
        TfrmPassword frmPassword(&fmMain);
        fmMain.setPasswordDialog(&frmPassword);
        fmMain.show();
        return app.exec();
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
        return 0;
    } catch (...) {
        ShowErrorBox(QString());
        return 1;
    }
}
