#pragma once
// The component framework: a non-visual component has an owner that destroys
// it, a name, and an after-load hook that runs once the window description
// has been applied to it. Components are QObjects: the owner is the parent,
// the name is the objectName.

#include <QObject>

#include <string>

class TComponent : public QObject {
public:
    explicit TComponent(QObject* AOwner) : QObject(AOwner) {}
    ~TComponent() override = default;

    std::string Name() const { return objectName().toStdString(); }
    void SetName(const std::string& V) { setObjectName(QString::fromStdString(V)); }
    QObject* Owner() const { return parent(); }

    // True while the owner applies the stored properties of the description.
    bool Loading() const { return loading_; }
    void SetLoading(bool V) { loading_ = V; }
    // Hosted by a visual form designer; never so at run time.
    bool DesignMode() const { return designMode_; }
    void SetDesignMode(bool V) { designMode_ = V; }

    // Runs once the owner has applied the stored properties.
    virtual void Loaded() { loading_ = false; }

private:
    bool loading_ = false;
    bool designMode_ = false;
};
