#pragma once

// The root of the class library's objects. Event handlers receive their sender as a TObject.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject();

    // Runs once the most derived constructor has finished (TApplication::CreateForm calls it;
    // a form's OnCreate runs from here).
    virtual void AfterConstruction();
    // Runs before the destructors, while the object is still whole, so that a subclass's hooks
    // are still reached: an owner calls it for each component it destroys, and Free calls it.
    virtual void BeforeDestruction();

    // BeforeDestruction, then delete.
    void Free();
};
