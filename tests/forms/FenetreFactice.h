#pragma once
// A window without any toolkit for the forms' logic: it keeps what the form asks of it, and
// runs `surVidage` at each drain of the message queue.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "forms/Fenetre.h"

class FenetreFactice : public IFenetre {
 public:
  void AppliquerForme(const TForme& f) override { forme = f; }
  void Montrer() override { visible = true; }
  void Cacher() override { visible = false; }
  void Fermer() override { ++fermetures; }
  void SetTexte(std::string_view c, const std::string& t) override { textes[std::string(c)] = t; }
  std::string Texte(std::string_view c) const override {
    const auto t = textes.find(std::string(c));
    return t == textes.end() ? std::string() : t->second;
  }
  void SetCoche(std::string_view c, bool coche) override {
    if (coche) {
      coches.insert(std::string(c));
    } else {
      coches.erase(std::string(c));
    }
  }
  bool Coche(std::string_view c) const override { return coches.count(std::string(c)) != 0; }
  void SetVisible(std::string_view c, bool v) override { montres[std::string(c)] = v; }
  void Message(const std::string& texte) override { messages.push_back(texte); }
  void MontrerAide(const std::string& fichier, const std::optional<std::string>& contenu) override {
    aides.push_back(fichier);
    contenusAide.push_back(contenu);
  }
  void TraiterMessages() override {
    ++vidages;
    if (surVidage) surVidage(vidages);
  }

  TForme forme{TForme::RectangleArrondi, -1, -1};
  bool visible = false;
  int fermetures = 0;
  int vidages = 0;
  std::map<std::string, std::string> textes;
  std::set<std::string> coches;
  std::map<std::string, bool> montres;
  std::vector<std::string> messages;
  std::vector<std::string> aides;
  std::vector<std::optional<std::string>> contenusAide;
  std::function<void(int vidage)> surVidage;
};
