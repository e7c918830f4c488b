#include "platform/NotificationCenter.h"

#include <algorithm>

namespace leafcraft {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const QString& name, const void* sender, Handler handler)
{
    std::lock_guard lock(m_mutex);
    const Token token = m_next++;
    m_entries.push_back({token, name, sender, std::make_shared<Handler>(std::move(handler))});
    return token;
}

void NotificationCenter::removeObserver(Token token)
{
    std::lock_guard lock(m_mutex);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [token](const Entry& e) { return e.token == token; }),
                    m_entries.end());
}

void NotificationCenter::post(const QString& name, const void* object, const QVariantMap& userInfo)
{
    // Call outside the lock so that a handler may post, observe or remove.
    std::vector<std::shared_ptr<Handler>> targets;
    {
        std::lock_guard lock(m_mutex);
        for (const Entry& e : m_entries)
            if (e.name == name && (e.sender == nullptr || e.sender == object))
                targets.push_back(e.handler);
    }
    const Notification n{name, object, userInfo};
    for (const auto& h : targets)
        (*h)(n);
}

} // namespace leafcraft
