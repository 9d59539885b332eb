#include "framework/Tarnwickfactory.h"

#include "framework/Exception.h"
#include "framework/IDynamicLinker.h"
#include "framework/IFileEnumerator.h"
#include "framework/IMemory.h"
#include "framework/IProcess.h"
#include "framework/IRandomAccessFile.h"
#include "framework/IResource.h"
#include "framework/IRunnable.h"
#include "framework/IThread.h"
#include "framework/IValueObject.h"
#include "framework/IWritableRandomAccessFile.h"
#include "tests/framework/support/Probes.h"
#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

class CountingRunnable : public IRunnable {
public:
    void run() override { ++runs; }
    std::atomic<int> runs{0};
};

// Whether nobody holds the file any more: a writable open needs it free.
bool canOpenForWriting(const std::string& path) {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IResource* entry = factory->createResource();
    entry->setPath(path);
    try {
        factory->createWritableRandomAccessFile()->setFile(entry);
        return true;
    } catch (const IOException&) {
        return false;
    }
}

std::vector<std::string> unloads;
std::string watchedFile;

void recordUnload(const char* tag) {
    unloads.push_back(std::string(tag) + (canOpenForWriting(watchedFile) ? " file free" : " file held"));
}

using WatchUnload = void (*)(void (*)(const char*));

IDynamicLinker* loadWatched(ITarnwickFactory& factory, const std::string& tag) {
    IDynamicLinker* linker = factory.createDynamicLinker();
    linker->load(linkerProbe(tag));
    reinterpret_cast<WatchUnload>(linker->link("probeWatchUnload"))(&recordUnload);
    return linker;
}

}  // namespace

TEST(TarnwickFactoryTest, NewFactoryKnowsNoPointer) {
    TarnwickFactory factory;
    int local = 0;
    EXPECT_FALSE(factory.isCreatedObject(nullptr));
    EXPECT_FALSE(factory.isCreatedObject(&local));
}

TEST(TarnwickFactoryTest, EveryHandedOutPointerIsKnownToItsOwnFactoryOnly) {
    TarnwickFactory factory;
    TarnwickFactory other;
    CountingRunnable runnable;
    factory.registerCreatedObject(static_cast<IRunnable*>(&runnable), &runnable);

    // The random-access files hand out interfaces that are virtual bases, at other addresses than
    // their objects: what counts is the pointer handed out.
    const std::vector<void*> handedOut = {
        factory.createValueObject(),
        factory.createMemory(),
        factory.createResource(),
        factory.createRandomAccessFile(),
        factory.createWritableRandomAccessFile(),
        factory.createFileEnumerator(),
        factory.createProcess(),
        factory.createDynamicLinker(),
        factory.createThread(&runnable),
    };
    for (void* pointer : handedOut) {
        EXPECT_TRUE(factory.isCreatedObject(pointer));
        EXPECT_FALSE(other.isCreatedObject(pointer));
    }
    EXPECT_EQ(runnable.runs, 0);
}

TEST(TarnwickFactoryTest, RegisteringAPointerTwiceKeepsItRegistered) {
    TarnwickFactory factory;
    int handedOut = 0, first = 0, second = 0;
    factory.registerCreatedObject(&handedOut, &first);
    factory.registerCreatedObject(&handedOut, &second);
    EXPECT_TRUE(factory.isCreatedObject(&handedOut));
    EXPECT_FALSE(factory.isCreatedObject(&first));
}

TEST(TarnwickFactoryTest, DestructionDeletesListByListFirstMadeFirst) {
    TemporaryFolder folder;
    watchedFile = folder.file("held.bin", "data");
    unloads.clear();
    {
        auto factory = createTarnwickFactory();
        factory->createValueObject()->setValue("k", "v");
        factory->createValueObject();
        factory->createMemory()->setSize(16);
        loadWatched(*factory, "a");
        IResource* entry = factory->createResource();
        entry->setPath(watchedFile);
        // Made after the linkers, but its list comes before theirs.
        factory->createRandomAccessFile()->setFile(entry);
        loadWatched(*factory, "b");
        ASSERT_FALSE(canOpenForWriting(watchedFile));
        EXPECT_TRUE(unloads.empty());
    }
    EXPECT_EQ(unloads, (std::vector<std::string>{"a file free", "b file free"}));
}

TEST(TarnwickFactoryTest, ShortLivedFactoryFreesItsProductsWhenAnExceptionLeaves) {
    TemporaryFolder folder;
    const std::string path = folder.file("work.bin", "data");
    struct Abandoned {};
    auto operation = [&] {
        const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
        IResource* entry = factory->createResource();
        entry->setPath(path);
        factory->createWritableRandomAccessFile()->setFile(entry);
        EXPECT_FALSE(canOpenForWriting(path));
        throw Abandoned();
    };
    EXPECT_THROW(operation(), Abandoned);
    EXPECT_TRUE(canOpenForWriting(path));
}

namespace {

// A derived factory laid out as the extended factories are: its interface extends
// ITarnwickFactory virtually, so the object holds a single ITarnwickFactory.
class IExtendedFactory : public virtual ITarnwickFactory {
public:
    virtual IRunnable* createJob() = 0;
};

class ExtendedFactory : public TarnwickFactory, public virtual IExtendedFactory {
public:
    IRunnable* createJob() override {
        jobs.push_back(std::make_unique<CountingRunnable>());
        IRunnable* handedOut = jobs.back().get();
        registerCreatedObject(handedOut, jobs.back().get());
        return handedOut;
    }
    std::vector<std::unique_ptr<CountingRunnable>> jobs;
};

}  // namespace

TEST(TarnwickFactoryTest, DerivedFactoryHoldsOneFrameworkFaceForItsThreads) {
    auto* factory = new ExtendedFactory;
    ITarnwickFactory* viaBase = static_cast<TarnwickFactory*>(factory);
    ITarnwickFactory* viaExtension = static_cast<IExtendedFactory*>(factory);
    EXPECT_EQ(viaBase, viaExtension);

    IRunnable* job = factory->createJob();
    IThread* thread = viaExtension->createThread(job);
    EXPECT_TRUE(thread->isAlive());
    EXPECT_TRUE(factory->isCreatedObject(thread));
    // The unstarted thread is released with the factory, through the same face it was made with.
    std::unique_ptr<ITarnwickFactory> owner(viaExtension);
    owner.reset();
}
