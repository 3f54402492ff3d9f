#include "AccessibleScrollBar.h"

#include <ScrollBar.h>

namespace BPrivate {

AccessibleScrollBar::AccessibleScrollBar(BScrollBar* bar, Accessible* parent)
	: AccessibleView(bar, parent, ATK_ROLE_SCROLL_BAR, kInterfaceValue)
{
}

bool AccessibleScrollBar::Refresh()
{
	if (!AccessibleView::Refresh())
		return false;
	auto* bar = static_cast<BScrollBar*>(View());
	float minimum = 0;
	float maximum = 0;
	bar->GetRange(&minimum, &maximum);
	float small = 1;
	float large = 1;
	bar->GetSteps(&small, &large);
	fValue = bar->Value();
	fMinimum = minimum;
	fMaximum = maximum;
	fStep = small;
	fStates |= Bit(bar->Orientation() == B_VERTICAL ? ATK_STATE_VERTICAL : ATK_STATE_HORIZONTAL);
	if (maximum <= minimum)
		fStates &= ~(Bit(ATK_STATE_ENABLED) | Bit(ATK_STATE_SENSITIVE));
	return true;
}

void AccessibleScrollBar::GetValue(double* value, double* minimum, double* maximum, double* step)
{
	Update();
	*value = fValue;
	*minimum = fMinimum;
	*maximum = fMaximum;
	*step = fStep;
}

bool AccessibleScrollBar::SetValue(double value)
{
	bool done = false;
	WithWindow([&] {
		if (auto* bar = static_cast<BScrollBar*>(View())) {
			bar->SetValue((float)value);
			done = true;
		}
	});
	return done;
}

void AccessibleScrollBar::Announce(uint32 changes)
{
	AccessibleView::Announce(changes);
	if ((changes & kAccessibleValue) && fValue != fToldValue) {
		fToldValue = fValue;
		g_object_notify(G_OBJECT(Atk()), "accessible-value");
		g_signal_emit_by_name(Atk(), "value-changed", fValue, nullptr);
	}
}

namespace {

AccessibleScrollBar* BarOf(AtkValue* value)
{
	Accessible* node = Accessible::Of(ATK_OBJECT(value));
	return node != nullptr && !node->IsDefunct() ? dynamic_cast<AccessibleScrollBar*>(node)
		: nullptr;
}

void OnGetValueAndText(AtkValue* object, gdouble* value, gchar** text)
{
	double minimum = 0, maximum = 0, step = 1;
	*value = 0;
	if (AccessibleScrollBar* bar = BarOf(object))
		bar->GetValue(value, &minimum, &maximum, &step);
	if (text != nullptr)
		*text = nullptr;
}

AtkRange* OnGetRange(AtkValue* object)
{
	double value = 0, minimum = 0, maximum = 0, step = 1;
	if (AccessibleScrollBar* bar = BarOf(object))
		bar->GetValue(&value, &minimum, &maximum, &step);
	return atk_range_new(minimum, maximum, nullptr);
}

gdouble OnGetIncrement(AtkValue* object)
{
	double value = 0, minimum = 0, maximum = 0, step = 1;
	if (AccessibleScrollBar* bar = BarOf(object))
		bar->GetValue(&value, &minimum, &maximum, &step);
	return step;
}

void OnSetValue(AtkValue* object, gdouble value)
{
	if (AccessibleScrollBar* bar = BarOf(object))
		bar->SetValue(value);
}

// The older GValue calls, which bridges still use.
template <int which>
void OnOldValue(AtkValue* object, GValue* result)
{
	double values[4] = {0, 0, 0, 1};
	if (AccessibleScrollBar* bar = BarOf(object))
		bar->GetValue(&values[0], &values[1], &values[2], &values[3]);
	g_value_init(result, G_TYPE_DOUBLE);
	g_value_set_double(result, values[which]);
}

gboolean OnSetOldValue(AtkValue* object, const GValue* value)
{
	AccessibleScrollBar* bar = BarOf(object);
	GValue number = G_VALUE_INIT;
	g_value_init(&number, G_TYPE_DOUBLE);
	const bool done = bar != nullptr && g_value_transform(value, &number)
		&& bar->SetValue(g_value_get_double(&number));
	g_value_unset(&number);
	return done;
}

}  // namespace

void AccessibleScrollBar::InitInterface(gpointer iface_data, gpointer)
{
	auto* iface = static_cast<AtkValueIface*>(iface_data);
	iface->get_value_and_text = OnGetValueAndText;
	iface->get_range = OnGetRange;
	iface->get_increment = OnGetIncrement;
	iface->set_value = OnSetValue;
	iface->get_current_value = OnOldValue<0>;
	iface->get_minimum_value = OnOldValue<1>;
	iface->get_maximum_value = OnOldValue<2>;
	iface->get_minimum_increment = OnOldValue<3>;
	iface->set_current_value = OnSetOldValue;
}

}  // namespace BPrivate
