// The GTK 3 window of the configuration tool: one dialog-like window whose widgets mirror the
// DialogModel and hand the user's changes to the ConfigTool. Each control's widget is named by
// its control identifier ("1009"), so tests and accessibility tools can find it.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <string>
#include <vector>

#include "config_tool.h"
#include "dialog_model.h"

namespace aruconfig {

class ConfigWindow : public Prompt {
 public:
  ConfigWindow();
  ~ConfigWindow();
  ConfigWindow(const ConfigWindow&) = delete;
  ConfigWindow& operator=(const ConfigWindow&) = delete;

  // Shows the window, starts the tool and runs until the dialog ends. Returns the exit status.
  int Run();

  int Ask(const char* text, const char* caption, UINT type) override;

 private:
  void Build();
  GtkWidget* BuildChoices();
  GtkWidget* BuildReport();
  GtkWidget* BuildButtons();
  GtkWidget* AddList(int id);
  GtkWidget* AddCheck(int id);
  GtkWidget* AddButton(int id);
  GtkWidget* AddLabel(int id, const char* text);
  void Register(int id, GtkWidget* widget);

  void Sync();
  void SyncList(int id);
  void SyncReport();
  void AfterEvent();
  void WriteGeometry() const;

  static void OnListChanged(GtkComboBox* combo, gpointer self);
  static void OnToggled(GtkToggleButton* button, gpointer self);
  static void OnClicked(GtkButton* button, gpointer self);
  static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static gboolean OnMapped(gpointer self);
  int IdOf(GtkWidget* widget) const;

  DialogModel model_;
  ConfigTool tool_;
  GtkWidget* window_ = nullptr;
  GtkListStore* reportStore_ = nullptr;
  std::map<int, GtkWidget*> widgets_;
  std::map<int, std::vector<ComboItem>> shownItems_;
  std::vector<std::string> shownReport_;
  bool syncing_ = false;
};

}  // namespace aruconfig
