// What the user is told about the data folder: that changes cannot be saved (once a run, from
// whichever thread met the failure first) and that a damaged store was kept aside. The boxes are
// posted to the main window, so they open on the UI thread once its loop runs, in the language
// current then.
#pragma once

#include <atomic>

#include "ui/message_poster.h"

class WindowImplBase;

inline constexpr char kDataNotSavedTextKey[] = "data_not_saved_text";
inline constexpr char kStoreKeptAsideTextKey[] = "store_kept_aside_text";

class DataNotices {
public:
    // The window the boxes are posted to; before this, nothing is posted.
    void Attach(MessagePoster poster) { poster_ = std::move(poster); }

    // Any thread: the data could not be saved. Only the first call of a run posts the box.
    void SaveFailed();
    // A damaged store was moved aside at start-up.
    void StoresKeptAside();

    // UI thread: shows the box of a message posted here; false for any other message.
    bool Handle(WindowImplBase& owner, unsigned message);

    bool SaveFailureTold() const { return saveFailureTold_; }

private:
    MessagePoster poster_;
    std::atomic<bool> saveFailureTold_ = false;
};
