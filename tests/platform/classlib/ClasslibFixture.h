#pragma once

// Shared by the class-library tests: a Qt application made the way the class library makes it,
// message boxes answered and recorded instead of shown, and work handed to the next pass of
// whatever message loop runs (Run's or a modal form's).

#include "platform/classlib/TApplication.h"
#include "platform/classlib/TDialogSeam.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace classlibtest {

// Runs call during the next pass of the message loop that runs then.
inline void later(std::function<void()> call)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

// Handles every event that is waiting, including those posted for deferred deletion.
inline void drainEvents()
{
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents(nullptr, 0);
        QCoreApplication::processEvents();
    }
}

// Every message box shown while the fixture lives is recorded and answered with answer.
class ClasslibTest : public ::testing::Test {
protected:
    ClasslibTest()
        : seam([this](const TMessageDlgRequest& request) {
              boxes.push_back(request);
              return answer;
          })
    {
        Application->Initialize();
    }

    ~ClasslibTest() override { drainEvents(); }

    std::vector<TMessageDlgRequest> boxes;
    int answer = mrOk;

private:
    TDialogSeamScope seam;
};

}  // namespace classlibtest
