// The tool's life: load the panel, set the start-up values, run the event loop until the
// panel is closed, then let go of everything.
#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <extras/extras.h>
#include <platform/serial.h>
#include <shared/ControlIds.h>

#include <platform/ui.h>
#include <platform/util.h>

int main(int argc, char** argv) {
    if (InitToolkit(argc, argv) < 0)
        return -1;
    AttachServiceTools();
    RegisterMainPanel();
    panelHandle = LoadPanel(0, "Nalvo-ZUridozU10.uir", MAIN_PANEL);
    if (panelHandle < 0) {
        CloseToolkit();
        return -1;
    }
    GetProjectDir(proj_dir);
    InitVars();
    InitRS232(com);
    DisplayPanel(panelHandle);
    RunUserInterface();
    CloseCom(com);
    DiscardPanel(panelHandle);
    CloseToolkit();
    return 0;
}
