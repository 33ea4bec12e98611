// Utility operations of the toolkit seam: clock, formatting, files and the file dialog.
#pragma once

// Element types for PlotStripChart, ArrayToFile and FileToArray.
constexpr int kTypeDouble = 4;
constexpr int kTypeUnsignedInt = 7;

// Longest path, terminating zero included, that the path buffers hold.
constexpr int kMaxPathnameLen = 4096;

// Button captions for FileSelectPopup.
constexpr int kButtonOk = 0;
constexpr int kButtonLoad = 3;

// FileSelectPopup results above zero.
constexpr int kExistingFileSelected = 1;
constexpr int kNewFileSelected = 2;

// Starts the toolkit. Returns 0, or -1 after printing a one-line reason on standard error
// when the user interface cannot start (no display to connect to, for instance).
int InitToolkit(int& argc, char** argv);
void CloseToolkit();

// Seconds since a fixed origin; only differences mean anything.
double Timer();

// The program's directory, into a buffer of kMaxPathnameLen bytes. Returns 0, or -1 when
// the path does not fit.
int GetProjectDir(char* directory);

// Formats ints into text. The one format the program uses is "%<n>c<%<m>i": each of m ints
// becomes one character, its low byte; the text stops at a zero character and after n
// characters, and is terminated, so the target holds n + 1 bytes. Returns the number of
// characters written, negative for a format it does not know.
int Fmt(char* target, const char* format, const int* source);

// Shows the file dialog. Returns kExistingFileSelected or kNewFileSelected with the chosen
// path in pathName (kMaxPathnameLen bytes), 0 when cancelled, negative on failure.
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char* pathName);

// Writes numberOfElements unsigned integers (dataType kTypeUnsignedInt, one group) to a text
// file, one value a line, right-aligned in fieldWidth columns. The file is replaced as a
// whole or not at all; a symlink is followed. Returns 0, or negative when the file could not
// be written or the name stands for something other than a regular file.
int ArrayToFile(const char* fileName, const void* array, int dataType, int numberOfElements,
                int numberOfGroups, int arrayDataOrder, int fileLayout, int columnSeparation,
                int fieldWidth, int fileType, int fileAction);

// Reads up to numberOfElements unsigned integers (dataType kTypeUnsignedInt) from a text
// file, separated by blanks, line ends, commas or semicolons; elements the file does not
// supply become 0. Returns the number of values read, or negative when the name does not
// stand for a regular file, the file cannot be read, or it holds something that is not an
// unsigned integer of at most 32 bits.
int FileToArray(const char* fileName, void* array, int dataType, int numberOfElements,
                int numberOfGroups, int arrayDataOrder, int fileLayout, int fileType);
