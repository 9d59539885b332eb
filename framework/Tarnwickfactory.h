#pragma once

#include "framework/ITarnwickFactory.h"

#include <map>
#include <memory>
#include <vector>

class DynamicLinker;
class FileEnumerator;
class FileSelectView;
class Memory;
class Process;
class RandomAccessFile;
class Resource;
class ValueObject;
class WritableRandomAccessFile;

// The framework factory, and the base of the extended factories. ITarnwickFactory is a virtual
// base so that the derived factories, whose interfaces extend it virtually too, hold one only.
//
// Every creation follows one rule, which derived factories follow as well: construct, append to
// the list of its kind, registerCreatedObject (the interface pointer handed out, the object),
// return that interface pointer.
//
// Destruction: first the worker threads this factory made (through ThreadPool, waiting for any
// that still runs), then the products list by list in the order of the fields below, each list
// first made, first deleted. A derived factory deletes its own products in its own destructor,
// before this one runs; one whose products a worker may still be using (a model whose run is a
// worker's runnable) must end the workers first, by calling
// ThreadPool::releaseThreads (static_cast<ITarnwickFactory*> (this)) at the start of its
// destructor. The call here then finds nothing left to do.
class TarnwickFactory : public virtual ITarnwickFactory {
public:
    TarnwickFactory();
    ~TarnwickFactory() override;
    TarnwickFactory(const TarnwickFactory&) = delete;
    TarnwickFactory& operator=(const TarnwickFactory&) = delete;

    IValueObject* createValueObject() override;
    IMemory* createMemory() override;
    IResource* createResource() override;
    IRandomAccessFile* createRandomAccessFile() override;
    IWritableRandomAccessFile* createWritableRandomAccessFile() override;
    IFileEnumerator* createFileEnumerator() override;
    IFileSelectView* createFileSelectView(IView* owner) override;
    IProcess* createProcess() override;
    IDynamicLinker* createDynamicLinker() override;
    IThread* createThread(IRunnable* runnable) override;

    // Records a handed-out pointer (which may differ from the object's address when the interface
    // is a virtual base). A pointer already recorded keeps its first object.
    virtual void registerCreatedObject(void* handedOut, void* object);
    // Whether this factory handed out the pointer.
    virtual bool isCreatedObject(void* handedOut);

private:
    std::map<void*, void*> registry;  // handed-out pointer -> object
    std::vector<ValueObject*> valueObjects;
    std::vector<Memory*> memories;
    std::vector<Resource*> resources;
    std::vector<RandomAccessFile*> randomAccessFiles;
    std::vector<WritableRandomAccessFile*> writableRandomAccessFiles;
    std::vector<FileEnumerator*> fileEnumerators;
    std::vector<FileSelectView*> fileSelectViews;
    std::vector<Process*> processes;
    std::vector<DynamicLinker*> dynamicLinkers;
};

// A new framework factory for one operation: it and all it made die with the pointer.
std::unique_ptr<ITarnwickFactory> createTarnwickFactory();
