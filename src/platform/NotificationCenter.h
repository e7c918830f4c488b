// Post and observe notifications by name with a user-info map. Observers are called on
// the posting thread (as a worker's progress is posted on the worker); posting and
// observing are safe from any thread, and an observer may remove itself while called.
#pragma once

#include <QString>
#include <QVariantMap>
#include <functional>
#include <mutex>
#include <vector>

namespace leafcraft {

struct Notification {
    QString name;
    const void* object = nullptr; // the sender, compared by identity only
    QVariantMap userInfo;
};

class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;
    using Token = quint64;

    static NotificationCenter& defaultCenter();

    // Observes `name` from `sender` (nullptr: any sender). Returns a token for removal.
    Token addObserver(const QString& name, const void* sender, Handler handler);
    void removeObserver(Token token);
    void post(const QString& name, const void* object = nullptr, const QVariantMap& userInfo = {});

private:
    struct Entry {
        Token token;
        QString name;
        const void* sender;
        std::shared_ptr<Handler> handler;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    Token m_next = 1;
};

// Removes its observation when destroyed.
class ScopedObserver {
public:
    ScopedObserver() = default;
    ScopedObserver(NotificationCenter& center, const QString& name, const void* sender,
                   NotificationCenter::Handler handler)
        : m_center(&center), m_token(center.addObserver(name, sender, std::move(handler)))
    {
    }
    ~ScopedObserver() { reset(); }
    ScopedObserver(ScopedObserver&& o) noexcept : m_center(o.m_center), m_token(o.m_token) { o.m_center = nullptr; }
    ScopedObserver& operator=(ScopedObserver&& o) noexcept
    {
        if (this != &o) {
            reset();
            m_center = o.m_center;
            m_token = o.m_token;
            o.m_center = nullptr;
        }
        return *this;
    }
    void reset()
    {
        if (m_center)
            m_center->removeObserver(m_token);
        m_center = nullptr;
    }

private:
    NotificationCenter* m_center = nullptr;
    NotificationCenter::Token m_token = 0;
};

} // namespace leafcraft
