#include "app/Glintfetchmain.h"

#include "app/Glintfetchbuilder.h"
#include "app/IGlintfetchFactory.h"
#include "framework/Exception.h"
#include "framework/IController.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/core/Sysutils.h"

#include <exception>
#include <memory>
#include <string>

namespace {

void showFailure(const std::string& message) {
    try {
        Application->ShowException(Sysutils::Exception(message));
    } catch (...) {
        // The box itself failed; there is no one left to tell.
    }
}

}  // namespace

int glintfetchMain() {
    try {
        Application->Initialize();
        // Declared in this order, so the builder goes first and the factory, with everything it
        // made, after it; an exception destroys both before it reaches a handler below.
        std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
        GlintfetchBuilder builder(factory.get());
        IController* startup = builder.build();
        startup->execute();
        Application->Run();
    } catch (const Sysutils::Exception& exception) {
        showFailure(exception.Message);
    } catch (const Exception& exception) {
        // The framework's failures carry a message meant for the user, such as why the
        // settings could not be written.
        showFailure(exception.getMessage());
    } catch (const std::exception& exception) {
        showFailure(exception.what());
    } catch (...) {
        showFailure("");
    }
    return 0;
}
