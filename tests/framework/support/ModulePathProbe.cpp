// Prints the executable's own path as the framework reports it, so that a test can run a copy of
// this program from a folder of its choosing.
#include "framework/IProcess.h"
#include "framework/Tarnwickfactory.h"

#include <iostream>
#include <memory>

int main() {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    std::cout << factory->createProcess()->getModuleFileName();
    return 0;
}
