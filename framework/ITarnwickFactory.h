#pragma once

class IDynamicLinker;
class IFileEnumerator;
class IFileSelectView;
class IMemory;
class IProcess;
class IRandomAccessFile;
class IResource;
class IRunnable;
class IThread;
class IValueObject;
class IView;
class IWritableRandomAccessFile;

// Where every framework object comes from. A factory keeps what it makes and deletes it when the
// factory itself is destroyed; callers never delete a product and must not use one after its
// factory is gone. Code that needs an object for one operation only takes it from a factory of
// its own (createTarnwickFactory) that dies with the operation.
class ITarnwickFactory {
public:
    virtual ~ITarnwickFactory() = default;

    virtual IValueObject* createValueObject() = 0;
    virtual IMemory* createMemory() = 0;
    virtual IResource* createResource() = 0;
    virtual IRandomAccessFile* createRandomAccessFile() = 0;
    virtual IWritableRandomAccessFile* createWritableRandomAccessFile() = 0;
    virtual IFileEnumerator* createFileEnumerator() = 0;
    // The dialog becomes a component of owner's component, which must outlive this factory.
    virtual IFileSelectView* createFileSelectView(IView* owner) = 0;
    virtual IProcess* createProcess() = 0;
    virtual IDynamicLinker* createDynamicLinker() = 0;
    // A suspended worker for a runnable that this same factory handed out (FactoryException
    // otherwise).
    virtual IThread* createThread(IRunnable* runnable) = 0;
};
