#pragma once

#include "frame/ProgramFiles.h"

#include <QString>
#include <functional>

class QWidget;

namespace ui {

// True when the path's last-change time can be read; never fails.
bool FileExists(const QString& path);

// The program's folder and the files beside it (the command line finds them the same way).
using frame::besideProgram;
using frame::ProgramFolder;

// The look at start-up. ApplySkin: when the skin file (a Qt style sheet at "\x\o.cjs" beside the program) is
// there, the connection window and its frames, labels, option buttons and check boxes take the button-face
// colour and the sheet is applied; otherwise nothing changes. ResetBackColors does the colours on any window,
// always.
void ApplySkin(QWidget& form1);
void ResetBackColors(QWidget& window);

// The product title shortened by whole words: the last word goes at least once, then while over 40 characters.
// A title with no blank to cut at stays as it is.
QString shortenedTitle(const QString& productTitle);

// Sets and returns the application title, the caption of every message box shown without one.
QString SetApplicationTitle();
QString applicationTitle();

// One start in a hundred opens the maker's web site in the user's browser, without waiting for it.
// `draw` gives a whole number from 1 to 100; `open` starts the browser on an address and tells whether it started.
// Both default to the real ones. A browser that does not start is a failure (the caller's trap reports it).
int drawOneToHundred(unsigned seed);
void VisitWebSiteAtRandom(const std::function<int()>& draw = {}, const std::function<bool(const QString&)>& open = {});

} // namespace ui
