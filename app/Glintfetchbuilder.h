#pragma once

class IController;
class IGlintfetchFactory;

// Where the whole object graph is wired: which controller serves which control, which view
// observes which model, and in which order everything is made (the factory destroys its
// controllers in that order). Every product is requested from the factory, which owns it.
class GlintfetchBuilder {
public:
    // The factory is not owned and must outlive the products it hands out.
    explicit GlintfetchBuilder(IGlintfetchFactory* factory);
    GlintfetchBuilder(const GlintfetchBuilder&) = delete;
    GlintfetchBuilder& operator=(const GlintfetchBuilder&) = delete;
    virtual ~GlintfetchBuilder();

    // Everything made and connected, nothing shown, the settings not loaded yet. Returns the
    // start-up controller, which is wired to no control: it is to be executed once.
    virtual IController* build();

private:
    IGlintfetchFactory* factory;
};
