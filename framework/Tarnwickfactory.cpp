#include "framework/Tarnwickfactory.h"

#include "framework/Dynamiclinker.h"
#include "framework/Exception.h"
#include "framework/Fileenumerator.h"
#include "framework/Fileselectview.h"
#include "framework/Memory.h"
#include "framework/Process.h"
#include "framework/Randomaccessfile.h"
#include "framework/Resource.h"
#include "framework/Thread.h"
#include "framework/Threadpool.h"
#include "framework/Valueobject.h"
#include "framework/Writablerandomaccessfile.h"

#include <memory>

namespace {

// Deletes each product as its own class, first made first.
template <typename Product>
void deleteAll(std::vector<Product*>& products) {
    for (Product* product : products) delete product;
    products.clear();
}

}  // namespace

TarnwickFactory::TarnwickFactory() = default;

TarnwickFactory::~TarnwickFactory() {
    ThreadPool::releaseThreads(static_cast<ITarnwickFactory*>(this));
    deleteAll(valueObjects);
    deleteAll(memories);
    deleteAll(resources);
    deleteAll(randomAccessFiles);
    deleteAll(writableRandomAccessFiles);
    deleteAll(fileEnumerators);
    deleteAll(fileSelectViews);
    deleteAll(processes);
    deleteAll(dynamicLinkers);
}

namespace {

// The creator rule: a product that cannot be listed or registered is neither, and is freed.
template <typename Interface, typename Product>
Interface* keep(TarnwickFactory& factory, std::vector<Product*>& list, std::unique_ptr<Product> product) {
    list.push_back(product.get());
    Interface* handedOut = product.get();
    try {
        factory.registerCreatedObject(handedOut, product.get());
    } catch (...) {
        list.pop_back();
        throw;
    }
    product.release();
    return handedOut;
}

}  // namespace

IValueObject* TarnwickFactory::createValueObject() {
    return keep<IValueObject>(*this, valueObjects, std::make_unique<ValueObject>());
}

IMemory* TarnwickFactory::createMemory() {
    return keep<IMemory>(*this, memories, std::make_unique<Memory>());
}

IResource* TarnwickFactory::createResource() {
    return keep<IResource>(*this, resources, std::make_unique<Resource>());
}

IRandomAccessFile* TarnwickFactory::createRandomAccessFile() {
    return keep<IRandomAccessFile>(*this, randomAccessFiles, std::make_unique<RandomAccessFile>());
}

IWritableRandomAccessFile* TarnwickFactory::createWritableRandomAccessFile() {
    return keep<IWritableRandomAccessFile>(*this, writableRandomAccessFiles,
                                           std::make_unique<WritableRandomAccessFile>());
}

IFileEnumerator* TarnwickFactory::createFileEnumerator() {
    return keep<IFileEnumerator>(*this, fileEnumerators, std::make_unique<FileEnumerator>());
}

IFileSelectView* TarnwickFactory::createFileSelectView(IView* owner) {
    return keep<IFileSelectView>(*this, fileSelectViews, std::make_unique<FileSelectView>(owner));
}

IProcess* TarnwickFactory::createProcess() {
    return keep<IProcess>(*this, processes, std::make_unique<Process>());
}

IDynamicLinker* TarnwickFactory::createDynamicLinker() {
    return keep<IDynamicLinker>(*this, dynamicLinkers, std::make_unique<DynamicLinker>());
}

IThread* TarnwickFactory::createThread(IRunnable* runnable) {
    if (!isCreatedObject(runnable)) {
        throw FactoryException("指定されたランナーはこのファクトリでインスタンス化されたものではありません。",
                               "TarnwickFactory::createThread");
    }
    auto thread = std::make_unique<Thread>(runnable);
    ThreadPool::addThread(static_cast<ITarnwickFactory*>(this), thread.get(), runnable);
    // No owning list: the registry of threads releases it.
    IThread* handedOut = thread.get();
    registerCreatedObject(handedOut, thread.release());
    return handedOut;
}

void TarnwickFactory::registerCreatedObject(void* handedOut, void* object) {
    registry.emplace(handedOut, object);
}

bool TarnwickFactory::isCreatedObject(void* handedOut) { return registry.count(handedOut) != 0; }

std::unique_ptr<ITarnwickFactory> createTarnwickFactory() { return std::make_unique<TarnwickFactory>(); }
