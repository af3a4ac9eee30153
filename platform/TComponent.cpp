#include "TComponent.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner) {}

TComponent::~TComponent() {
    NotifyRemoval();
    while (!components_.empty()) {
        std::unique_ptr<TComponent> last = std::move(components_.back());
        components_.pop_back();
        last.reset();
    }
}

void TComponent::NotifyRemoval() {
    // Each side forgets the other before it is told, so a notification never comes back here.
    while (!notified_.empty()) {
        TComponent* other = notified_.back();
        notified_.pop_back();
        other->Unlink(*this);
        other->Notification(*this, TOperation::opRemove);
    }
}

void TComponent::Adopt(std::unique_ptr<TComponent> component) {
    component->owner_ = this;
    components_.push_back(std::move(component));
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (const auto& component : components_) {
        if (!name.empty() && component->Name() == name) {
            return component.get();
        }
    }
    return nullptr;
}

void TComponent::FreeNotification(TComponent& other) {
    if (&other == this) {
        return;
    }
    if (std::find(notified_.begin(), notified_.end(), &other) == notified_.end()) {
        notified_.push_back(&other);
    }
    if (std::find(other.notified_.begin(), other.notified_.end(), this) == other.notified_.end()) {
        other.notified_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent& other) {
    Unlink(other);
    other.Unlink(*this);
}

void TComponent::Unlink(TComponent& other) {
    notified_.erase(std::remove(notified_.begin(), notified_.end(), &other), notified_.end());
}

void TComponent::EndLoading() {
    loading_ = false;
    Loaded();
}

void TComponent::Notification(TComponent&, TOperation) {}
