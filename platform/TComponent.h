#pragma once

#include <memory>
#include <string>
#include <vector>

enum class TOperation { opInsert, opRemove };

// The base of the system's components. An owner frees the components it owns, last made first.
// A component can ask another for a removal notification: when either is destroyed the other
// hears of it, so weak references between components that do not own each other are cleared.
class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent();

    // Makes a component owned by this one.
    template <class T, class... Arguments>
    T& Create(Arguments&&... arguments) {
        auto component = std::make_unique<T>(std::forward<Arguments>(arguments)...);
        T& made = *component;
        Adopt(std::move(component));
        return made;
    }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TComponent* FindComponent(const std::string& name) const;

    // Asks `other` to tell this component when it is destroyed (and the reverse).
    void FreeNotification(TComponent& other);
    void RemoveFreeNotification(TComponent& other);

    // Loading from a stored design: setters only store while loading, and Loaded runs at its end.
    bool Loading() const { return loading_; }
    bool Designing() const { return designing_; }
    void BeginLoading() { loading_ = true; }
    void EndLoading();
    void SetDesigning(bool designing) { designing_ = designing; }

protected:
    // Tells every component that asked that this one is going away. The base destructor does it
    // last; a derived destructor that must still be whole when the others hear it calls it first.
    void NotifyRemoval();

    // Called when a component this one asked about (or that asked about this one) is destroyed.
    virtual void Notification(TComponent& component, TOperation operation);
    virtual void Loaded() {}

private:
    void Adopt(std::unique_ptr<TComponent> component);
    void Unlink(TComponent& other);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<std::unique_ptr<TComponent>> components_;
    std::vector<TComponent*> notified_;
    bool loading_ = false;
    bool designing_ = false;
};
