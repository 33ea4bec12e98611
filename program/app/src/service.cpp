// The command line: the tool's life as main() has it, with its panel on the offscreen platform
// and one command run in it instead of an operator.
#include <app/Nalvo-ZUridozU10.h>
#include <cli/ServiceCommand.h>
#include <com232/com232.h>
#include <extras/extras.h>
#include <platform/serial.h>
#include <shared/ControlIds.h>

#include <platform/ui.h>
#include <platform/util.h>

int main(int argc, char** argv) {
    if (const auto answered = cli::prepare(argc, argv))
        return *answered;
    if (InitToolkit(argc, argv) < 0)
        return cli::failedToStart("the toolkit cannot start");
    cli::attach(AttachServiceTools());
    RegisterMainPanel();
    panelHandle = LoadPanel(0, "Nalvo-ZUridozU10.uir", MAIN_PANEL);
    if (panelHandle < 0) {
        CloseToolkit();
        return cli::failedToStart("the panel file Nalvo-ZUridozU10.uir cannot be loaded");
    }
    GetProjectDir(proj_dir);
    InitVars();
    com = cli::port();
    InitRS232(com);
    DisplayPanel(panelHandle);
    cli::start();
    RunUserInterface();
    CloseCom(com);
    DiscardPanel(panelHandle);
    CloseToolkit();
    return cli::exitStatus();
}
