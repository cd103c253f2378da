// Where the profile and macro file dialogs open, and the file name they offer: the folder the
// user last took or wrote a file in during this run (the home folder before that), and the
// profile's or macro's own name.
#pragma once

#include <QString>

QString FileDialogFolder();
// The folder of a file the user just chose becomes the one the next dialog opens in.
void RememberFileDialogChoice(const QString& path);
// "Rapid fire" gives "Rapid fire.macro"; characters a file name cannot hold become "_".
QString SuggestedFileName(const QString& name, const QString& extension);
