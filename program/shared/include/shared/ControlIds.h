// Ids of the main panel's controls, as the panel file Nalvo-ZUridozU10.uir gives them.
#pragma once

constexpr int MAIN_PANEL = 1; // panel resource of the panel file

constexpr int CTRL_TEACH = 2; // "Teach reference" button
constexpr int CTRL_PORT = 3;
constexpr int CTRL_STOP = 7;
constexpr int CTRL_SEND = 8;
constexpr int CTRL_GET = 9;
constexpr int CTRL_FILE = 10;
constexpr int CTRL_EEPROM = 11;
constexpr int CTRL_RAM = 12;
constexpr int CTRL_BUTTON_TEACH = 13;
constexpr int CTRL_RUN = 14;
constexpr int CTRL_HW_MODE = 15;
constexpr int CTRL_POLARITY = 16;
constexpr int CTRL_AVERAGE = 17;
constexpr int CTRL_ANA_MODE = 18;
constexpr int CTRL_SIGNAL_TYPE = 19;
constexpr int CTRL_EVAL_MODE = 20;
constexpr int CTRL_REPORTED_TOLERANCE = 22;
constexpr int CTRL_RAW_4 = 23;
constexpr int CTRL_RAW_3 = 24;
constexpr int CTRL_NORMALISED = 25;
constexpr int CTRL_RAW_1 = 26;
constexpr int CTRL_RAW_2 = 27;
constexpr int CTRL_STATUS = 32;
constexpr int CTRL_RUN_HINT = 33; // "Press Run to ..." hint, hidden once a run starts
constexpr int CTRL_POWER1 = 34;
constexpr int CTRL_POWER0 = 36;
constexpr int CTRL_NORM_CHART = 37;
constexpr int CTRL_RAW_CHART = 38;
constexpr int CTRL_LAMP_BIT1 = 40;
constexpr int CTRL_LAMP_BIT0 = 41;
constexpr int CTRL_TEACH_THD = 57;
constexpr int CTRL_TEACH_CD = 58;
constexpr int CTRL_TEACH_AB = 59;
constexpr int CTRL_TOLERANCE = 60;
constexpr int CTRL_REFERENCE = 61;
