// The session D-Bus API's backend in the running program: the properties read from the page (its
// profile list, its battery panel, the links to the mouse) and the methods carried out by the
// page's operations, as the page's own controls would.
#pragma once

#include <functional>

#include "app/session_api.h"

class CMS_1_Page;

class PageSessionBackend final : public SessionApiBackend {
public:
    // `page` gives the page while it can take requests, null once the program is ending.
    explicit PageSessionBackend(std::function<CMS_1_Page*()> page) : page_(std::move(page)) {}

    SessionApiState State() override;
    Outcome SelectProfile(const QString& name) override;
    Outcome Apply() override;
    Outcome ImportProfile(const QString& path) override;

private:
    std::function<CMS_1_Page*()> page_;
};
