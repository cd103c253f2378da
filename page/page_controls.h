// Every control of the settings page, found by name once when the page starts.
#pragma once

#include <QHash>
#include <QString>
#include <array>

#include "ui/controls.h"

class WindowImplBase;

struct PageControls {
    std::array<Control, 18> horKey;
    std::array<Button, 18> btnKey;
    std::array<Control, 18> keyControl;
    std::array<Option, 2> buttonMode;
    Button btnMacro;
    ListBox listProfile;
    Button profileAdd, profileDelete, profileRename, profileImport, profileExport, profileReset;
    Control wired, wireless, ble;
    CheckBox checkButton, checkProfile, checkPower;
    Control horButton, verProfile, verPower, verNoPower;
    CheckBox checkDpi, checkLight, checkReportRate, checkMouseAttribute, checkPowerSetting;
    Control verSetting, horDpi, verLight, verReportRate, verMouseAttribute, verPowerSetting;
    std::array<Slider, 8> sliderDpi;
    std::array<Label, 8> labelDpi;
    std::array<Option, 8> optionDpiStep;
    std::array<Button, 8> btnDpiColor;
    ComboBox comboLight;
    Control horBrightness;
    Slider sliderBrightness;
    Control horBreathSpeed;
    Slider sliderBreathSpeed;
    Control horLightColor;
    Button btnLightColor;
    std::array<Option, 4> btnReportRate;
    Label labelReportRate;
    Button btnMouseAttribute;
    Slider sliderLightOff;
    Label labelLightOff;
    Slider sliderSleepTimer;
    Label labelSleepTimer;
    CheckBox checkMoveMode;
    Button btnApply;
    Progress progressPower;
    Label labelPower, lowPowerLabel, sleepLabel;
    // Beyond the controls every layout of the page names: the row of the lighting effect, the
    // card of the report rate, the notice of settings the mouse did not take and its button.
    Control horEffect, cardReportRate;
    Label applyNotice;
    Button btnRetry;

    // Every control above by its layout name, for the code that names controls by string.
    QHash<QString, Control> byName;

    // Looks the controls up in the page's fixed order; a missing one is reported as a layout
    // error by the window and held as a null handle.
    void Lookup(const WindowImplBase& window);
    Control ByName(const QString& name) const { return byName.value(name); }
};
