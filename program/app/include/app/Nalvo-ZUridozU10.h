// The main module: start-up values, the info texts and the control callbacks. Its variables
// are in <shared/ShellVariables.h>.
#pragma once

#include <shared/ShellVariables.h>

// Binds the panel file's callbacks by name and names the controls the program relies on;
// LoadPanel checks the file against it.
void RegisterMainPanel();

void InitVars();
void ShowInfoText(int id, const char* text, int left, int top, int size, int colour, int bold);

int CC_PANEL(int panel, int event, void* callbackData, int eventData1, int eventData2);
int CC_DropDEvalmode(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2);
int CC_DropHWMode(int panel, int control, int event, void* callbackData, int eventData1,
                  int eventData2);

int CC_DropDCom(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
int CC_BTNGet(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_BTNSend(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
int CC_RBTRam(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_RBTEeprom(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
int CC_RBTFile(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
int CC_BTNRun(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_BTNStop(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
int CC_DropSignaltype(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
int CC_BTNTeach(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
int CC_ButtonTeach(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);
